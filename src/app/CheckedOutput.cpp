#include "app/CheckedOutput.h"

#include <cerrno>
#include <system_error>

namespace vexaro {

void CheckedOutput::failed() {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
}

CheckedOutput::int_type CheckedOutput::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char byte = traits_type::to_char_type(c);
  return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize CheckedOutput::xsputn(const char* text, std::streamsize count) {
  errno = 0;
  const std::size_t written = std::fwrite(text, 1, static_cast<std::size_t>(count), file_);
  if (written != static_cast<std::size_t>(count)) failed();
  return static_cast<std::streamsize>(written);
}

int CheckedOutput::sync() {
  errno = 0;
  if (std::fflush(file_) == 0) return 0;
  failed();
  return -1;
}

std::string OutputFailure(int error) {
  switch (error) {
    case ENOSPC:
      return "the output could not be written: the disk is full.";
    case EPIPE:
      // As when `head` has read the lines it wanted: said plainly, not as an alarm.
      return "the output ended early: the program reading it closed it.";
    case 0:
      return "the output could not be written.";
    default:
      return "the output could not be written (" + std::generic_category().message(error) + ").";
  }
}

}  // namespace vexaro
