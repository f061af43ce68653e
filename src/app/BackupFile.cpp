#include "app/BackupFile.h"

#include <fstream>
#include <sstream>

#include "common/Utf8Path.h"

namespace vexaro {

Result<Backup> ReadBackupFile(const std::string& path) {
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) return Failure{"cannot read " + path + "."};
  std::ostringstream text;
  text << in.rdbuf();
  return ParseBackupText(text.str(), path);
}

}  // namespace vexaro
