// ReadWholeFile and WriteWholeFile on Linux, macOS and the other POSIX systems.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "storage/FileAccess.h"

namespace vexaro {

namespace {

namespace texts = file_texts;

// The system's own words for `error`, for the failures that have none of ours.
std::string SystemReason(int error) {
  std::string reason = std::strerror(error);
  if (!reason.empty()) {
    reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
  }
  return reason;
}

std::string WriteReason(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return texts::kDiskFull;
    case EROFS:
      return texts::kReadOnlyDisk;
    case EISDIR:
      return texts::kFolder;
    default:
      return SystemReason(error);
  }
}

// A file descriptor closed when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now, and says whether the system reported no error.
  bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

// The mode a file made by open() would get: 0666 less the process's umask.
mode_t NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

bool WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

Result<std::string> ReadWholeFile(const std::string& path) {
  // O_NONBLOCK: opening a pipe must not wait for a writer; the descriptor is looked at before
  // anything is read from it.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return CannotRead(path, texts::kNoSuchFile);
    if (error == EACCES || error == EPERM) return CannotRead(path, texts::kMayNotRead);
    return CannotRead(path, SystemReason(error));
  }
  struct stat info {};
  if (::fstat(file.get(), &info) != 0) return CannotRead(path, SystemReason(errno));
  if (S_ISDIR(info.st_mode)) return CannotRead(path, texts::kFolder);
  if (!S_ISREG(info.st_mode)) return CannotRead(path, texts::kNotAFile);
  if (static_cast<std::uintmax_t>(info.st_size) > kMaxReadFileSize) {
    return CannotRead(path, texts::kTooLarge);
  }
  // A file that grows while it is read is still held to the limit.
  std::string text;
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n < 0) return CannotRead(path, SystemReason(errno));
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > kMaxReadFileSize) return CannotRead(path, texts::kTooLarge);
  }
  return text;
}

Result<void> WriteWholeFile(const std::string& path, const std::string& text) {
  if (path.empty()) return Failure{texts::kNoName};
  // A symbolic link at `path` names the file to replace; the link itself stays.
  std::string target = path;
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return CannotWrite(path, texts::kLinkToNothing, false);
    target = resolved;
    std::free(resolved);
  }
  struct stat old {};
  const bool exists = ::lstat(target.c_str(), &old) == 0;
  // Never rename over a device or a pipe (root could replace /dev/null). A folder is left to the
  // rename, which refuses it.
  if (exists && !S_ISREG(old.st_mode) && !S_ISDIR(old.st_mode)) {
    return CannotWrite(path, texts::kNotAFile, false);
  }
  const bool replacing = exists && S_ISREG(old.st_mode);

  const auto slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  // mkstemps makes the file with O_CREAT | O_EXCL: never through a link, never one that exists.
  std::string temporary = (slash == std::string::npos ? "" : folder) + name + ".XXXXXX.part";
  Descriptor file(::mkostemps(temporary.data(), 5, O_CLOEXEC));
  if (file.get() < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return CannotWrite(path, texts::kNoSuchFolder, false);
    if (error == EACCES || error == EPERM) {
      return CannotWrite(path, texts::kMayNotMakeFile, replacing);
    }
    return CannotWrite(path, WriteReason(error), replacing);
  }
  const auto fail = [&](const std::string& reason) -> Result<void> {
    file.close();
    ::unlink(temporary.c_str());
    return CannotWrite(path, reason, replacing);
  };
  if (!WriteAll(file.get(), text) || ::fsync(file.get()) != 0) {
    return fail(WriteReason(errno));
  }
  // The permissions of the file replaced (and its owner and group, where this user may give
  // them), or those of any new file.
  if (replacing) {
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
      [[maybe_unused]] const int ignored = ::fchown(file.get(), old.st_uid, old.st_gid);
    }
    // Read, write and run for each class of user, never set-user-ID and the like.
    if (::fchmod(file.get(), old.st_mode & 0777) != 0) return fail(SystemReason(errno));
  } else if (::fchmod(file.get(), NewFileMode()) != 0) {
    return fail(SystemReason(errno));
  }
  if (!file.close()) return fail(WriteReason(errno));
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int error = errno;
    // EPERM: a shared folder (sticky, such as /tmp) where the file belongs to another user.
    return fail(error == EPERM || error == EACCES ? std::string(texts::kMayNotReplace)
                                                  : WriteReason(error));
  }
  // The rename is only on disk once the folder is.
  const Descriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0 && ::fsync(directory.get()) != 0 && errno != EINVAL) {
    return Failure{"cannot write " + path + ": it was put in place, but its folder could not be " +
                   "flushed to disk (" + SystemReason(errno) + ")."};
  }
  return {};
}

}  // namespace vexaro
