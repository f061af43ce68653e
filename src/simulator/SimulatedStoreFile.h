#pragma once
// The simulated device's memory kept in a text file between runs: 128 two-digit hexadecimal
// bytes separated by any white space, '#' to the end of a line a comment.

#include <optional>
#include <string>

#include "simulator/SimulatedDevice.h"

namespace vexaro {

struct StoreFileResult {
  std::optional<DeviceStore> store;  // set on success
  std::string error;                 // one sentence, when store is not set
};

// Reads the store from `path`. A file that does not exist is created from the factory store. A
// file that exists but does not hold exactly 128 bytes is an error, never a silent factory reset.
StoreFileResult LoadStoreFile(const std::string& path);

// Writes the store to `path` (through a temporary file, so a crash never leaves half a file).
// Returns an error sentence, or an empty string on success.
std::string SaveStoreFile(const std::string& path, const DeviceStore& store);

// Whether SaveStoreFile could replace the existing file at `path`, asked before anything is sent
// to the device: an error sentence when the file is read-only (for every user, root included) or
// no file can be made beside it; an empty string when it can.
std::string StoreFileWriteProblem(const std::string& path);

}  // namespace vexaro
