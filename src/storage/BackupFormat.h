#pragma once
// The text of a `vexaro backup` file, written and read back: the whole device in one JSON object.
//
//   {
//     "vexaro-backup": 2,                  the format of the file
//     "settings": { "version": "3.1", "range": "7V", "turn-on": "70", ... },
//                                          as `vexaro read --json` prints them
//     "trim": 0,                           the voltage trim, -7 to 7
//     "notes": [ "1: 2500.00 Hz 0.1472 s tone D#7 pitch 50 duration 23", ... ],
//     "memory": [ "00 00 1f 35 25 cc 01 64 ...", ... ]
//   }
//
// "memory" holds the device's 128 bytes, 16 to a line from address 0, in two-digit hexadecimal.
// It is what a restore stores. The settings texts, the trim and the notes are there for a person
// (and the settings for `set --from`); a setting or trim whose byte the window cannot show reads
// "cannot be shown (BYTE at address ADDRESS)". A restore refuses a file whose texts are no longer
// those of its bytes, since a person who edited one would lose the edit without a word.
//
// Format 1 files have no "memory" but "melody", the 100 bytes at addresses 28 to 127 in one
// line, and are restored from their texts.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Result.h"
#include "link/DeviceContract.h"
#include "melody/TuneImage.h"

namespace vexaro {

inline constexpr int kBackupFormat = 2;

using DeviceMemory = std::array<std::uint8_t, kStoreSize>;
using KeyValues = std::vector<std::pair<std::string, std::string>>;

struct Backup {
  int format = kBackupFormat;
  KeyValues settings;                  // key, value, in file order
  int trim = 0;                        // format 1 only
  TuneImage melody{};                  // format 2: memory addresses 28 to 127
  std::optional<DeviceMemory> memory;  // format 2 only
};

// The file's text for a device whose memory holds these bytes.
std::string BackupText(const DeviceMemory& memory, const std::vector<std::string>& notes);

// Parses the text of the backup file at `path` and checks all of it: its shape (CheckedJson.h),
// the format, no key that a backup does not have, the settings' keys and texts (a range of 7V or
// 70V, a version the device can report, every setting that firmware has and none it lacks), the
// trim, the bytes. With `textsMatchBytes`, a format-2 file's settings and trim must be what its
// memory shows. What the texts mean for a device is checked when they are stored. Fails with one
// sentence saying what is wrong, which quotes `path`.
Result<Backup> ParseBackupText(std::string_view text, const std::string& path,
                               bool textsMatchBytes = true);

// The settings of the file at `path` for `set --from`: a JSON object of texts such as
// `read --json` prints, or the settings of a backup file. Fails with one sentence.
Result<KeyValues> ParseSettingsText(std::string_view text, const std::string& path);

// Whether `text` is a version number that a device can report ("0.0" to "25.5").
bool IsVersionText(std::string_view text);

}  // namespace vexaro
