#pragma once
// The file of `vexaro backup` and `vexaro restore`: the whole device in one JSON object.
//
//   {
//     "vexaro-backup": 1,                  the format of the file
//     "settings": { "version": "3.1", "range": "7V", "turn-on": "70", ... },
//                                          as `vexaro read --json` prints them
//     "trim": 0,                           the voltage trim, -7 to 7
//     "melody": "32 17 35 16 ...",         the 100 bytes at addresses 28 to 127, two-digit hex
//     "notes": [ "1: 2500.00 Hz 0.1472 s tone D#7 pitch 50 duration 23", ... ]
//   }
//
// "notes" is there for a person to read; a restore takes the melody from "melody" alone.

#include <string>
#include <utility>
#include <vector>

#include "common/Result.h"
#include "melody/TuneImage.h"

namespace vexaro {

struct Backup {
  std::vector<std::pair<std::string, std::string>> settings;  // key, value, in file order
  int trim = 0;
  TuneImage melody{};
};

// The file's text.
std::string BackupText(const Backup& backup, const std::vector<std::string>& notes);

// Reads the file at `path` and checks all of it: the format, every key, the settings' keys and
// texts (known keys, a range of 7V or 70V, a firmware version, every setting that firmware has
// and none it lacks), a trim of -7 to 7 and exactly 100 two-digit hexadecimal melody bytes.
// What the settings' values mean for a device is checked when they are stored. Fails with one
// sentence saying what is wrong.
Result<Backup> ReadBackupFile(const std::string& path);

}  // namespace vexaro
