#include "storage/BackupFile.h"

#include "storage/FileAccess.h"

namespace vexaro {

Result<Backup> ReadBackupFile(const std::string& path) {
  const Result<std::string> text = ReadWholeFile(path);
  if (!text) return Failure{text.why()};
  return ParseBackupText(*text, path);
}

}  // namespace vexaro
