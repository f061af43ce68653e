#pragma once
// The tool's standard output, written through the C library's stream and remembering why the
// first write or flush failed (a full disk, a closed pipe), so that the tool can say so rather
// than end as if everything was printed.

#include <cstdio>
#include <streambuf>
#include <string>

namespace vexaro {

class CheckedOutput final : public std::streambuf {
 public:
  explicit CheckedOutput(std::FILE* file) : file_(file) {}

  // The errno of the first write or flush that failed; 0 while none did.
  int error() const { return error_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

 private:
  void failed();

  std::FILE* file_;
  int error_ = 0;
};

// The sentence for output that could not be written, `error` as CheckedOutput::error() gives it
// (0 when the cause is not known).
std::string OutputFailure(int error);

}  // namespace vexaro
