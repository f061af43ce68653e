#include "app/FileAccess.h"

#include "common/QuotedText.h"

namespace vexaro {

Failure CannotRead(const std::string& path, const std::string& reason) {
  return Failure{"cannot read " + QuotedText(path) + ": " + reason + "."};
}

Failure CannotWrite(const std::string& path, const std::string& reason, bool earlierFileKept) {
  return Failure{
      "cannot write " + QuotedText(path) + ": " + reason +
      (earlierFileKept ? "; the file already there is unchanged." : "; nothing was written.")};
}

}  // namespace vexaro
