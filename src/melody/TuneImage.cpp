#include "melody/TuneImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "common/NumberText.h"
#include "common/ToneCodes.h"
#include "melody/DefaultTune.h"

namespace vexaro {

namespace {

constexpr double kPauseFrequency = 1000.0;  // a pause is timed as a 1000 Hz tone
constexpr int kMaxCode = 255;

enum class EncodeFault { kNone, kPitch, kDuration };

// Both divisions are done in the order written: at exact halves the order decides the rounding.
EncodeFault Encode(const TuneNote& note, NoteCodes& codes, NoteLimits* limits = nullptr) {
  const double f = note.IsPause ? kPauseFrequency : note.Frequency;
  const Result<std::int16_t> pitch = ToInt16((1.0 / f) / kToneTick);
  if (!pitch || (!note.IsPause && *pitch < 0)) return EncodeFault::kPitch;
  codes.PitchCode = note.IsPause ? 0 : static_cast<std::uint8_t>(std::min<int>(*pitch, kMaxCode));
  const Result<std::int16_t> duration = ToInt16((f * note.Length) / kPeriodsPerLength);
  if (!duration || *duration < 0) return EncodeFault::kDuration;
  codes.DurationCode = static_cast<std::uint8_t>(std::clamp<int>(*duration, 1, kMaxCode));
  if (limits != nullptr) {
    limits->lowestTone = !note.IsPause && *pitch > kMaxCode;
    limits->silenced = !note.IsPause && *pitch == 0;
    limits->lengthCut = *duration > kMaxCode;
    limits->lengthRaised = *duration < 1;
  }
  return EncodeFault::kNone;
}

std::string WhyNot(const TuneNote& note, EncodeFault fault) {
  if (fault == EncodeFault::kPitch) {
    return note.Frequency > 0 ? "its frequency is too low." : "its frequency is not positive.";
  }
  if (std::isnan(note.Length)) return "its length is not a number.";
  if (note.Length < 0) return "its length is negative.";
  return "its length is too long for its frequency.";
}

}  // namespace

std::optional<NoteCodes> EncodeTuneNote(const TuneNote& note) {
  NoteCodes codes;
  if (Encode(note, codes) != EncodeFault::kNone) return std::nullopt;
  return codes;
}

std::optional<NoteLimits> TuneNoteLimits(const TuneNote& note) {
  NoteCodes codes;
  NoteLimits limits;
  if (Encode(note, codes, &limits) != EncodeFault::kNone) return std::nullopt;
  return limits;
}

Result<TuneImage> MakeTuneImage(const std::vector<TuneNote>& notes) {
  if (notes.size() > kMaxTuneNotes) {
    return Failure{"The melody has " + std::to_string(notes.size()) +
                   " notes, more than the 50 the device can store."};
  }
  TuneImage image{};
  for (std::size_t k = 0; k < notes.size(); ++k) {
    NoteCodes codes;
    if (const EncodeFault fault = Encode(notes[k], codes); fault != EncodeFault::kNone) {
      return Failure{"Note " + std::to_string(k + 1) +
                     " cannot be stored: " + WhyNot(notes[k], fault)};
    }
    image[2 * k] = codes.PitchCode;
    image[2 * k + 1] = codes.DurationCode;
  }
  return image;
}

TuneImage DefaultTuneImage() {
  TuneImage image{};
  std::copy(kDefaultTune.begin(), kDefaultTune.end(), image.begin());
  return image;
}

std::optional<NoteCodes> BeepCodes(double frequency, double seconds) {
  const Result<std::uint8_t> pitch = TonePeriodCode(frequency);
  const Result<std::uint8_t> duration = ToneLengthCode(seconds, frequency);
  if (!pitch || !duration) return std::nullopt;
  return NoteCodes{*pitch, *duration};
}

}  // namespace vexaro
