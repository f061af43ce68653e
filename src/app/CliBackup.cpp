#include "app/CliBackup.h"

#include "app/CliCalibration.h"
#include "app/CliMelody.h"
#include "app/CliSettings.h"
#include "app/FileAccess.h"
#include "app/VexaroCli.h"
#include "link/DeviceContract.h"
#include "melody/MelodyLoad.h"
#include "melody/TuneDecode.h"
#include "settings/SettingsRead.h"

namespace vexaro {

namespace {

int ReadMelody(CliSession& session, TuneImage& image, std::ostream& err) {
  if (const auto lost = ReadTuneImage(session.usb(), session.link(), image)) {
    return Fail(err, kExitDeviceLost,
                "device lost while reading address " + std::to_string(*lost) + ".");
  }
  return kExitDone;
}

}  // namespace

int BackupCommand(CliSession& session, const std::string& file, std::ostream& err) {
  DeviceSettings settings{};
  if (const auto lost = ReadSettingsBytes(session.usb(), session.link(), settings)) {
    return Fail(err, kExitDeviceLost,
                "device lost while reading address " + std::to_string(*lost) + ".");
  }
  const ShownSettings shown = ShowSettings(settings);
  if (shown.failure) {
    return Fail(err, kExitDeviceLost, CannotShow(*shown.failure) + "; nothing was written.");
  }
  Backup backup;
  backup.settings = SettingsValues(shown);
  if (const int status = StoredTrim(settings[kTrimAddress], backup.trim, err); status != 0) {
    return status;
  }
  if (const int status = ReadMelody(session, backup.melody, err); status != 0) return status;

  std::vector<std::string> notes;
  for (const StoredNote& n : DecodeTuneImage(backup.melody).notes) {
    notes.push_back(NoteLine(notes.size() + 1, n.Frequency, n.Length, n.IsPause, n.codes, n.Name));
  }
  if (const Result<void> written = WriteWholeFile(file, BackupText(backup, notes)); !written) {
    return Fail(err, kExitBadInput, written.why());
  }
  return kExitDone;
}

int PrepareRestore(const std::string& file, Backup& backup, std::ostream& err) {
  Result<Backup> read = ReadBackupFile(file);
  if (!read) return Fail(err, kExitBadInput, read.why());
  backup = *std::move(read);
  return kExitDone;
}

int RestoreCommand(CliSession& session, const Backup& backup, const std::string& only,
                   std::ostream& err) {
  const bool settings = only.empty() || only == "settings";
  const bool melody = only.empty() || only == "melody";
  const bool trim = only.empty() || only == "trim";

  std::vector<ByteWrite> writes;
  if (settings) {
    SetRequest request;
    request.values = backup.settings;
    if (const int status = PrepareSettingsWrites(session, request, err, writes); status != 0) {
      return status;
    }
  }
  const std::size_t total = writes.size() + (melody ? kMelodySize : 0) + (trim ? 1 : 0);
  std::size_t stored = 0;
  const auto lost = [&](const char* part) {
    return Fail(err, kExitDeviceLost,
                "device lost after storing " + std::to_string(stored) + " of " +
                    std::to_string(total) + " bytes, part way through the " + part +
                    "; restore the file again.");
  };
  stored = StoreBytes(session, writes);
  if (stored < writes.size()) return lost("settings");
  if (melody) {
    std::size_t melodyStored = 0;
    const bool whole = UploadTuneImage(session.exchange(), backup.melody, &melodyStored);
    stored += melodyStored;
    if (!whole) return lost("melody");
  }
  if (trim) {
    if (!StoreTrim(session, backup.trim)) return lost("trim");
    ++stored;
  }
  return kExitDone;
}

int TuneCommand(CliSession& session, bool rtttl, std::ostream& out, std::ostream& err) {
  TuneImage image{};
  if (const int status = ReadMelody(session, image, err); status != 0) return status;
  if (rtttl) {
    const RingToneText found = FindRingToneText(image);
    out << found.text << '\n';
    for (const std::string& sentence : found.inexact) err << "vexaro: " << sentence << '\n';
    return kExitDone;
  }
  std::size_t number = 0;
  for (const StoredNote& n : DecodeTuneImage(image).notes) {
    out << NoteLine(++number, n.Frequency, n.Length, n.IsPause, n.codes, n.Name) << '\n';
  }
  out << ImageLines(image);
  return kExitDone;
}

}  // namespace vexaro
