#include "backup/DeviceBackup.h"

#include <algorithm>

#include "calibration/Trim.h"
#include "link/DeviceContract.h"
#include "melody/MelodyLoad.h"
#include "melody/TuneDecode.h"
#include "settings/SettingsChange.h"
#include "settings/SettingsRead.h"
#include "storage/FileAccess.h"

namespace vexaro {

namespace {

DeviceOutcome Refused(std::string why) {
  return {DeviceOutcome::Kind::Refused, std::move(why)};
}
DeviceOutcome DeviceFailed(std::string why) {
  return {DeviceOutcome::Kind::Device, std::move(why)};
}

// The settings bytes of a backup's memory, at the addresses Send writes and in its order, after
// the checks that need the device: its range and its firmware must take them.
DeviceOutcome PrepareSettingsBytes(const DeviceSettings& device, const DeviceMemory& memory,
                                   std::vector<ByteWrite>& writes) {
  DeviceSettings backedUp{};
  std::copy_n(memory.begin(), backedUp.size() - 2, backedUp.begin());
  const auto range = [](const DeviceSettings& s) { return IsRange70(s) ? "70V" : "7V"; };
  if (IsRange70(backedUp) != IsRange70(device)) {
    return Refused(std::string("these settings are for a ") + range(backedUp) +
                   " device; this one is " + range(device) + ".");
  }
  // A backup of firmware before 3.0 has no minimum-voltage settings: a newer device keeps its own.
  const bool version30 = HasVersion30Fields(backedUp);
  if (version30 && !HasVersion30Fields(device)) {
    return Refused(std::string(Info(Field::cboMcycles).key) +
                   " needs firmware 3.0 or later; this device has " +
                   VersionText(device[address::kVersion]) + ".");
  }
  for (const std::uint8_t a : SendAddresses(version30)) writes.push_back({a, memory[a]});
  return {};
}

// The settings writes of a restore: a format-2 file's bytes, or a format-1 file's texts stored
// as `set --from` stores them.
DeviceOutcome PrepareSettings(ApiUSBRoutines& usb, const Backup& backup,
                              std::vector<ByteWrite>& writes) {
  DeviceSettings device{};
  if (const auto lost = ReadSettingsBytes(usb, usb.link(), device)) {
    return DeviceFailed(LostWhileReading(*lost));
  }
  if (backup.memory) return PrepareSettingsBytes(device, *backup.memory, writes);
  SettingsChange change = PlanSettingsChange(device, backup.settings, false);
  if (!change.refusal.empty()) {
    return {change.deviceByte ? DeviceOutcome::Kind::Device : DeviceOutcome::Kind::Refused,
            change.refusal};
  }
  writes = std::move(change.writes);
  return {};
}

}  // namespace

std::string LostWhileReading(std::size_t address) {
  return "device lost while reading address " + std::to_string(address) + ".";
}

std::string LostWhileStoring(std::size_t stored, std::size_t total, const std::string& what) {
  // The device may have stored the last byte sent and been lost before its acknowledgement.
  const std::string count = stored < total
                                ? std::to_string(stored) + " or " + std::to_string(stored + 1)
                                : std::to_string(stored);
  return "device lost after storing " + count + " of " + std::to_string(total) + " " + what;
}

std::size_t StoreBytes(CommandExchange& exchange, const std::vector<ByteWrite>& writes,
                       const StoreProgress& progress) {
  std::size_t stored = 0;
  if (progress) progress(0, writes.size());
  for (const ByteWrite& w : writes) {
    if (!exchange.SendCommand(command::kStoreByte, w.address, w.value)) break;
    ++stored;
    if (progress) progress(stored, writes.size());
  }
  return stored;
}

DeviceOutcome BackUpDevice(ApiUSBRoutines& usb, const std::string& path) {
  DeviceSettings settings{};
  if (const auto lost = ReadSettingsBytes(usb, usb.link(), settings)) {
    return DeviceFailed(LostWhileReading(*lost));
  }
  TuneImage melody{};
  if (const auto lost = ReadTuneImage(usb, usb.link(), melody)) {
    return DeviceFailed(LostWhileReading(*lost));
  }
  DeviceMemory memory{};
  std::copy_n(settings.begin(), kMelodyAddress, memory.begin());
  std::copy(melody.begin(), melody.end(), memory.begin() + kMelodyAddress);

  std::vector<std::string> notes;
  for (const StoredNote& n : DecodeTuneImage(melody).notes) {
    notes.push_back(NoteLine(notes.size() + 1, n.Frequency, n.Length, n.IsPause, n.codes, n.Name));
  }
  if (const Result<void> written = WriteWholeFile(path, BackupText(memory, notes)); !written) {
    return Refused(written.why());
  }
  return {};
}

DeviceOutcome RestoreDevice(ApiUSBRoutines& usb, CommandExchange& exchange, const Backup& backup,
                            RestoreParts parts, const StoreProgress& progress) {
  // Only the settings depend on the device's range and firmware: a melody or a trim suits any.
  std::vector<ByteWrite> writes;
  if (parts.settings) {
    if (DeviceOutcome prepared = PrepareSettings(usb, backup, writes);
        prepared.kind != DeviceOutcome::Kind::Done) {
      return prepared;
    }
  }
  const std::size_t settingsEnd = writes.size();
  if (parts.melody) {
    for (std::size_t i = 0; i < kMelodySize; ++i) {
      writes.push_back({static_cast<std::uint8_t>(kMelodyAddress + i), backup.melody[i]});
    }
  }
  const std::size_t melodyEnd = writes.size();
  if (parts.trim) {
    writes.push_back(
        {kTrimAddress, backup.memory ? (*backup.memory)[kTrimAddress] : *EncodeTrim(backup.trim)});
  }
  if (const std::size_t stored = StoreBytes(exchange, writes, progress); stored < writes.size()) {
    const char* part = stored < settingsEnd ? "settings" : stored < melodyEnd ? "melody" : "trim";
    return DeviceFailed(LostWhileStoring(
        stored, writes.size(),
        std::string("bytes, part way through the ") + part + "; restore the file again."));
  }
  return {};
}

}  // namespace vexaro
