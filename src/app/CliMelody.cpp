#include "app/CliMelody.h"

#include "app/VexaroCli.h"
#include "common/NumberText.h"
#include "link/DeviceContract.h"
#include "melody/MelodyLoad.h"
#include "melody/TuneDecode.h"
#include "melody/TuneSound.h"
#include "settings/FieldRules.h"
#include "settings/SettingsRead.h"
#include "storage/FileAccess.h"

namespace vexaro {

namespace {

constexpr const char* kDefaultName = "default";

int DeviceLost(std::ostream& err, const std::string& when) {
  return Fail(err, kExitDeviceLost, "device lost " + when + ".");
}

}  // namespace

std::string ImageLines(const TuneImage& image) {
  std::string lines;
  for (std::size_t i = 0; i < image.size(); i += 10) {
    lines += std::to_string(kMelodyAddress + i) + ':';
    for (std::size_t j = i; j < i + 10; ++j) lines += ' ' + std::to_string(image[j]);
    lines += '\n';
  }
  return lines;
}

std::string LimitsMark(const TuneNote& written, const StoredNote& played) {
  const std::optional<NoteLimits> limits = TuneNoteLimits(written);
  if (!limits || !limits->any()) return {};
  const std::string length = FixedText(played.Length, 4) + " s";
  // The length goes with the tone unless a part of its own tells it.
  const std::string toneLength = limits->lengthCut || limits->lengthRaised ? "" : " for " + length;
  std::string mark;
  const auto add = [&mark](const std::string& part) { mark += (mark.empty() ? "" : "; ") + part; };
  if (limits->lowestTone) {
    add("played at " + FixedText(played.Frequency, 2) + " Hz" + toneLength +
        ", the device's lowest tone");
  }
  if (limits->silenced) add("too high for the device: silent" + toneLength);
  const std::string units = std::to_string(played.codes.DurationCode);
  if (limits->lengthCut) add("cut to " + units + " units: " + length);
  if (limits->lengthRaised) add("raised to " + units + " unit: " + length);
  return "  (" + mark + ")";
}

int WriteTuneSound(const TuneImage& image, const std::string& file, std::ostream& err) {
  const std::vector<std::uint8_t> wave = WaveFile(RenderTuneSound(image).samples);
  if (const Result<void> written = WriteWholeFile(file, std::string(wave.begin(), wave.end()));
      !written) {
    return Fail(err, kExitBadInput, written.why());
  }
  return kExitDone;
}

int ParseCommand(const std::string& file, bool raiseOctave, const std::optional<std::string>& wave,
                 std::ostream& out, std::ostream& err) {
  const Result<TuneFile> loaded = LoadTuneFile(file, raiseOctave ? 1 : 0);
  if (!loaded) return Fail(err, kExitBadInput, loaded.why());
  if (wave) return WriteTuneSound(loaded->image, *wave, err);
  const std::vector<StoredNote> played = DecodeTuneImage(loaded->image).notes;
  for (std::size_t k = 0; k < loaded->notes.size(); ++k) {
    const TuneNote& note = loaded->notes[k];
    out << NoteLine(k + 1, note.Frequency, note.Length, note.IsPause,
                    {loaded->image[2 * k], loaded->image[2 * k + 1]})
        << (k < played.size() ? LimitsMark(note, played[k]) : "") << '\n';
  }
  out << ImageLines(loaded->image);
  return kExitDone;
}

int PrepareLoad(const std::string& file, bool raiseOctave, std::ostream& err, TuneImage& image) {
  if (file == kDefaultName) {
    image = DefaultTuneImage();  // never raised
    return kExitDone;
  }
  const Result<TuneFile> loaded = LoadTuneFile(file, raiseOctave ? 1 : 0);
  if (!loaded) return Fail(err, kExitBadInput, loaded.why() + " Nothing was sent.");
  image = loaded->image;
  return kExitDone;
}

int LoadCommand(CliSession& session, const TuneImage& image, std::ostream& err) {
  ProgressLine progress(err, session.showProgress(), image.size());
  const bool uploaded = UploadTuneImage(session.exchange(), image,
                                        [&progress](std::size_t n) { progress.acknowledged(n); });
  progress.end();
  if (!uploaded) {
    return DeviceLost(err, "during the upload; the melody in the device is incomplete");
  }
  return kExitDone;
}

int PlayCommand(CliSession& session, bool wait, std::ostream& err) {
  if (wait) {
    // As the window's Play: the acknowledgement comes when the melody ends, then a stop.
    if (!session.exchange().SendCommand(command::kPlay, 0, 0)) {
      return DeviceLost(err, "while playing");
    }
    if (!session.exchange().SendCommand(command::kStop, 0, 0)) {
      return DeviceLost(err, "while stopping");
    }
    return kExitDone;
  }
  // Start it and leave it playing: one reply shows that the device took the command.
  session.usb().plainTransfer({command::kPlay, 0, 0});
  if (!session.link().DeviceDetected) return DeviceLost(err, "before it answered");
  return kExitDone;
}

int StopCommand(CliSession& session, std::ostream& err) {
  if (!session.exchange().SendCommand(command::kStop, 0, 0)) {
    return DeviceLost(err, "before it acknowledged the stop");
  }
  return kExitDone;
}

int BeepCommand(CliSession& session, std::optional<std::string> frequency,
                std::optional<std::string> duration, std::ostream& err) {
  DeviceSettings settings{};
  if (!frequency || !duration) {
    if (const auto lost = ReadSettingsBytes(session.usb(), session.link(), settings)) {
      return DeviceLost(err, "while reading address " + std::to_string(*lost));
    }
    for (const FieldText& t : ShowSettings(settings).texts) {
      if (t.field == Field::cboFreq && !frequency) frequency = t.text;
      if (t.field == Field::cboDur && !duration) duration = t.text;
    }
    if (!frequency || !duration) {
      return Fail(err, kExitDeviceLost,
                  "the device's beep settings cannot be shown; give FREQ and DURATION.");
    }
  }
  // The checks of the two boxes, as when the user leaves them.
  for (const auto& [field, text] :
       {std::pair{Field::cboFreq, &frequency}, std::pair{Field::cboDur, &duration}}) {
    const CheckResult checked = CheckEntry(field, **text, settings);
    if (!checked.accepted) return Fail(err, kExitBadInput, checked.message + ".");
    **text = checked.text;
  }
  const Result<double> hertz = LeadingNumber(*frequency);
  const Result<double> seconds = LeadingNumber(*duration);
  const std::optional<NoteCodes> codes =
      hertz && seconds ? BeepCodes(*hertz, *seconds) : std::nullopt;
  if (!codes) return Fail(err, kExitBadInput, "this beep cannot be sounded.");
  if (!session.exchange().SendCommand(command::kBeep, codes->PitchCode, codes->DurationCode)) {
    return DeviceLost(err, "before it acknowledged the beep");
  }
  return kExitDone;
}

}  // namespace vexaro
