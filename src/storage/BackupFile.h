#pragma once
// The file of `vexaro backup` and `vexaro restore` on disk; its text is BackupFormat's.

#include <string>

#include "storage/BackupFormat.h"
#include "common/Result.h"

namespace vexaro {

// Reads the file at `path` and checks all of it (ParseBackupText). Fails with one sentence
// saying what is wrong.
Result<Backup> ReadBackupFile(const std::string& path);

}  // namespace vexaro
