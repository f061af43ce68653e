#include "storage/FileAccess.h"

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

Result<std::string> ReadWholeFile(const std::string& path) {
  std::string text;
  if (const std::optional<FileProblem> problem = ReadFileText(path, text)) {
    return CannotRead(path, problem->reason);
  }
  return text;
}

Result<void> WriteWholeFile(const std::string& path, const std::string& text) {
  if (path.empty()) return Failure{file_texts::kNoName};
  if (const std::optional<FileProblem> problem = PutFileText(path, text)) {
    return CannotWrite(path, problem->reason, problem->earlierFileKept);
  }
  return {};
}

}  // namespace vexaro
