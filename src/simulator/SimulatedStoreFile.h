#pragma once
// The simulated device's memory kept in a text file between runs: 128 two-digit hexadecimal
// bytes separated by any white space, '#' to the end of a line a comment.

#include <string>

#include "common/Result.h"
#include "simulator/SimulatedDevice.h"

namespace vexaro {

// Reads the store from `path`. A file that does not exist is created from the factory store. A
// file that exists but does not hold exactly 128 bytes is a Failure, never a silent factory reset.
Result<DeviceStore> LoadStoreFile(const std::string& path);

// Writes the store to `path` as WriteWholeFile writes (storage/FileAccess.h): whole or not at all,
// a symbolic link followed, a read-only file refused.
Result<void> SaveStoreFile(const std::string& path, const DeviceStore& store);

// Whether SaveStoreFile could replace the existing file at `path`, asked before anything is sent
// to the device: fails when the file is read-only (for every user, root included), this user may
// not write it, or no file can be made in its folder.
Result<void> CheckStoreFileWritable(const std::string& path);

}  // namespace vexaro
