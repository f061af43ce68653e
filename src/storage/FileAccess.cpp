#include "storage/FileAccess.h"

namespace vexaro {

Failure CannotRead(const std::string& path, const std::string& reason) {
  return Failure{"cannot read " + path + ": " + reason + "."};
}

Failure CannotWrite(const std::string& path, const std::string& reason, bool earlierFileKept) {
  return Failure{
      "cannot write " + path + ": " + reason +
      (earlierFileKept ? "; the file already there is unchanged." : "; nothing was written.")};
}

}  // namespace vexaro
