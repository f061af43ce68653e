#include "melody/TuneImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>

#include "melody/DefaultTune.h"
#include "common/NumberText.h"

namespace vexaro {

namespace {

constexpr double kTick = 0.000008;          // seconds per pitch-code unit (8 us)
constexpr double kPeriodsPerCount = 16.0;   // tone periods per duration-code unit
constexpr double kPauseFrequency = 1000.0;  // a pause is timed as a 1000 Hz tone
constexpr int kMaxCode = 255;

enum class EncodeFault { kNone, kPitch, kDuration };

// Both divisions are done in the order written: at exact halves the order decides the rounding.
EncodeFault Encode(const TuneNote& note, NoteCodes& codes) {
  const double f = note.IsPause ? kPauseFrequency : note.Frequency;
  try {
    int pitch = ToInt16((1.0 / f) / kTick);
    if (pitch > kMaxCode) pitch = kMaxCode;
    if (note.IsPause) pitch = 0;
    codes.PitchCode = ToByte(pitch);
  } catch (const NumberError&) {
    return EncodeFault::kPitch;
  }
  try {
    int duration = ToInt16((f * note.Length) / kPeriodsPerCount);
    if (duration > kMaxCode) duration = kMaxCode;
    if (duration == 0) duration = 1;
    codes.DurationCode = ToByte(duration);
  } catch (const NumberError&) {
    return EncodeFault::kDuration;
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

TuneImageResult MakeTuneImage(const std::vector<TuneNote>& notes) {
  TuneImageResult result;
  if (notes.size() > kMaxTuneNotes) {
    result.error = "The melody has " + std::to_string(notes.size()) +
                   " notes, more than the 50 the device can store.";
    return result;
  }
  try {
    for (std::size_t k = 0; k < notes.size(); ++k) {
      NoteCodes codes;
      if (const EncodeFault fault = Encode(notes[k], codes); fault != EncodeFault::kNone) {
        result.image = {};
        result.error =
            "Note " + std::to_string(k + 1) + " cannot be stored: " + WhyNot(notes[k], fault);
        return result;
      }
      result.image[2 * k] = codes.PitchCode;
      result.image[2 * k + 1] = codes.DurationCode;
    }
  } catch (const std::exception&) {
    result.image = {};
    result.error = "The melody could not be encoded.";
  }
  return result;
}

TuneImage DefaultTuneImage() {
  TuneImage image{};
  std::copy(kDefaultTune.begin(), kDefaultTune.end(), image.begin());
  return image;
}

std::optional<NoteCodes> BeepCodes(double frequency, double seconds) {
  try {
    NoteCodes codes;
    codes.DurationCode =
        ToByte(std::min<int>(kMaxCode, ToInt16((seconds * frequency) / kPeriodsPerCount)));
    codes.PitchCode = ToByte((1.0 / frequency) / kTick);
    return codes;
  } catch (const NumberError&) {
    return std::nullopt;
  }
}

}  // namespace vexaro
