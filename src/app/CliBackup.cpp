#include "app/CliBackup.h"

#include <algorithm>

#include "app/CliCalibration.h"
#include "app/CliMelody.h"
#include "app/CliSettings.h"
#include "storage/FileAccess.h"
#include "app/VexaroCli.h"
#include "calibration/Trim.h"
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
  TuneImage melody{};
  if (const int status = ReadMelody(session, melody, err); status != 0) return status;
  DeviceMemory memory{};
  std::copy_n(settings.begin(), kMelodyAddress, memory.begin());
  std::copy(melody.begin(), melody.end(), memory.begin() + kMelodyAddress);

  std::vector<std::string> notes;
  for (const StoredNote& n : DecodeTuneImage(melody).notes) {
    notes.push_back(NoteLine(notes.size() + 1, n.Frequency, n.Length, n.IsPause, n.codes, n.Name));
  }
  if (const Result<void> written = WriteWholeFile(file, BackupText(memory, notes)); !written) {
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

namespace {

// The settings bytes of a backup's memory, at the addresses Send writes and in its order, after
// the checks that need the device: its range and its firmware must take them.
int PrepareSettingsBytes(CliSession& session, const DeviceMemory& memory, std::ostream& err,
                         std::vector<ByteWrite>& writes) {
  DeviceSettings device{};
  if (const auto lost = ReadSettingsBytes(session.usb(), session.link(), device)) {
    return Fail(err, kExitDeviceLost,
                "device lost while reading address " + std::to_string(*lost) + ".");
  }
  DeviceSettings backedUp{};
  std::copy_n(memory.begin(), backedUp.size() - 2, backedUp.begin());
  const auto range = [](const DeviceSettings& s) { return IsRange70(s) ? "70V" : "7V"; };
  if (IsRange70(backedUp) != IsRange70(device)) {
    return Fail(err, kExitBadInput,
                std::string("these settings are for a ") + range(backedUp) +
                    " device; this one is " + range(device) + ".");
  }
  // A backup of firmware before 3.0 has no minimum-voltage settings: a newer device keeps its own.
  const bool version30 = HasVersion30Fields(backedUp);
  if (version30 && !HasVersion30Fields(device)) {
    return Fail(err, kExitBadInput,
                std::string(Info(Field::cboMcycles).key) +
                    " needs firmware 3.0 or later; this device has " +
                    VersionText(device[address::kVersion]) + ".");
  }
  for (const std::uint8_t a : SendAddresses(version30)) writes.push_back({a, memory[a]});
  return kExitDone;
}

}  // namespace

int RestoreCommand(CliSession& session, const Backup& backup, const std::string& only,
                   std::ostream& err) {
  const bool settings = only.empty() || only == "settings";
  const bool melody = only.empty() || only == "melody";
  const bool trim = only.empty() || only == "trim";

  // Only the settings depend on the device's range and firmware: a melody or a trim suits any.
  std::vector<ByteWrite> writes;
  if (settings) {
    int status = kExitDone;
    if (backup.memory) {
      status = PrepareSettingsBytes(session, *backup.memory, err, writes);
    } else {
      SetRequest request;
      request.values = backup.settings;
      status = PrepareSettingsWrites(session, request, err, writes);
    }
    if (status != kExitDone) return status;
  }
  const std::size_t settingsEnd = writes.size();
  if (melody) {
    for (std::size_t i = 0; i < kMelodySize; ++i) {
      writes.push_back({static_cast<std::uint8_t>(kMelodyAddress + i), backup.melody[i]});
    }
  }
  const std::size_t melodyEnd = writes.size();
  if (trim) {
    writes.push_back(
        {kTrimAddress, backup.memory ? (*backup.memory)[kTrimAddress] : *EncodeTrim(backup.trim)});
  }
  StoreProgress progress(err, session.showProgress(), writes.size());
  const std::size_t stored = StoreBytes(session, writes, &progress);
  progress.end();
  if (stored < writes.size()) {
    const char* part = stored < settingsEnd ? "settings" : stored < melodyEnd ? "melody" : "trim";
    return Fail(err, kExitDeviceLost,
                LostWhileStoring(stored, writes.size(),
                                 std::string("bytes, part way through the ") + part +
                                     "; restore the file again."));
  }
  return kExitDone;
}

int TuneCommand(CliSession& session, bool rtttl, const std::optional<std::string>& wave,
                std::ostream& out, std::ostream& err) {
  TuneImage image{};
  if (const int status = ReadMelody(session, image, err); status != 0) return status;
  if (wave) return WriteTuneSound(image, *wave, err);
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
