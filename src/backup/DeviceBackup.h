#pragma once
// The whole device in one file, for both programs: the device read whole into a backup file, and
// a backup stored back, every check made before the first write. The file's text is
// BackupFormat's; ReadBackupFile reads and checks one before any device is reached.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "link/ApiUSBRoutines.h"
#include "link/CommandExchange.h"
#include "settings/SettingsRecord.h"
#include "storage/BackupFormat.h"

namespace vexaro {

// How a backup or a restore ended: done, or one sentence saying why not.
struct DeviceOutcome {
  enum class Kind {
    Done,
    Refused,  // the file, or what it holds for this device: nothing was written
    Device,   // the device was lost (part way, as the sentence says) or holds what cannot be shown
  };
  Kind kind = Kind::Done;
  std::string why;
};

// Reads the device's 128 bytes (the settings bytes, then the melody) and writes them, with their
// settings, trim and notes as text, to the file at `path` (WriteWholeFile: whole or not at all,
// an earlier file kept on a failure). Nothing is written when the device cannot be read whole.
DeviceOutcome BackUpDevice(ApiUSBRoutines& usb, const std::string& path);

// The parts of a backup a restore stores.
struct RestoreParts {
  bool settings = true;
  bool melody = true;
  bool trim = true;
};

// Told before the first write (0 stored) and after each acknowledged one: how many of how many
// bytes the device has stored.
using StoreProgress = std::function<void(std::size_t stored, std::size_t total)>;

// Stores `backup` (read and checked whole by ReadBackupFile): for the settings, the device's
// settings bytes are read first and a backup of the other range, or with minimum-voltage settings
// for older firmware, is refused before any write; then the settings bytes at the addresses Send
// writes, in its order (a format-1 file: its texts, as `vexaro set --from` stores them), the
// melody at 28 to 127, the trim at 27, each acknowledged before the next. A melody or a trim goes
// onto any device, and nothing is read first.
DeviceOutcome RestoreDevice(ApiUSBRoutines& usb, CommandExchange& exchange, const Backup& backup,
                            RestoreParts parts, const StoreProgress& progress = {});

// Stores the bytes in order, each acknowledged before the next. Returns how many were stored
// (fewer than all when the device was lost).
std::size_t StoreBytes(CommandExchange& exchange, const std::vector<ByteWrite>& writes,
                       const StoreProgress& progress = {});

// The sentence for a device lost part way through storing `total` bytes, of which `stored` were
// acknowledged: the one sent after them may have been stored too.
std::string LostWhileStoring(std::size_t stored, std::size_t total, const std::string& what);

// "device lost while reading address 38."
std::string LostWhileReading(std::size_t address);

}  // namespace vexaro
