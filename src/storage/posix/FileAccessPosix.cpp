// The file calls on Linux, macOS and the other POSIX systems.

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <variant>

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
    case EFBIG:
      return texts::kOverSizeLimit;
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

// Termination signals held back in this thread while a new file is made, written and put in
// place (or removed), so that a signal never leaves it behind; they arrive once it is done. A
// file past this user's size limit makes the kernel send SIGXFSZ, which would end the program
// with no word: held back, it is taken off again, and the write fails with EFBIG.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &before_);
  }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;
  ~SignalsHeld() {
    sigset_t pending;
    if (!sigismember(&before_, SIGXFSZ) && ::sigpending(&pending) == 0 &&
        sigismember(&pending, SIGXFSZ)) {
      sigset_t fileSize;
      sigemptyset(&fileSize);
      sigaddset(&fileSize, SIGXFSZ);
      int taken = 0;
      ::sigwait(&fileSize, &taken);
    }
    ::pthread_sigmask(SIG_SETMASK, &before_, nullptr);
  }

 private:
  sigset_t before_{};
};

// Where a write puts its file: the file a link at the path names, its folder, and whether a file
// is there to be replaced (with its status).
struct Destination {
  std::string target;
  std::string folder;  // with its final '/', or "./"
  bool replacing = false;
  struct stat old {};
};

// What a write would refuse before anything is made: a link to nothing, a folder, a device or a
// pipe (never replaced, which root could do to /dev/null), a read-only file.
std::variant<Destination, FileProblem> Examine(const std::string& path) {
  Destination d;
  d.target = path;
  struct stat link {};
  if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return FileProblem{texts::kLinkToNothing, false};
    d.target = resolved;
    std::free(resolved);
  }
  const auto slash = d.target.rfind('/');
  d.folder = slash == std::string::npos ? "./" : d.target.substr(0, slash + 1);
  if (::lstat(d.target.c_str(), &d.old) == 0) {
    if (S_ISDIR(d.old.st_mode)) return FileProblem{texts::kFolder, false};
    if (!S_ISREG(d.old.st_mode)) return FileProblem{texts::kNotAFile, false};
    d.replacing = true;
    // A file nobody may write is one its owner wants left alone, even though root could.
    if ((d.old.st_mode & 0222) == 0) return FileProblem{texts::kReadOnly, true};
  }
  return d;
}

// A new file of a short name in the destination's folder, made with O_CREAT | O_EXCL: never
// through a link, never one that exists. `temporary` gets its name.
std::variant<int, FileProblem> MakeTemporary(const Destination& d, std::string& temporary) {
  temporary = d.folder + ".vexaro-XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd >= 0) return fd;
  const int error = errno;
  if (error == ENOENT || error == ENOTDIR) return FileProblem{texts::kNoSuchFolder, false};
  if (error == EACCES || error == EPERM) return FileProblem{texts::kMayNotMakeFile, d.replacing};
  return FileProblem{WriteReason(error), d.replacing};
}

// A file this user may not write is not replaced, though the folder would let it be.
std::optional<FileProblem> MayNotReplace(const Destination& d) {
  if (d.replacing && ::faccessat(AT_FDCWD, d.target.c_str(), W_OK, AT_EACCESS) != 0 &&
      (errno == EACCES || errno == EPERM)) {
    return FileProblem{texts::kMayNotReplace, true};
  }
  return std::nullopt;
}

// Writes the new file and renames it over the target, with the signals held; on a failure the
// new file is gone again.
std::optional<FileProblem> WriteAndRename(const Destination& d, const std::string& text) {
  const SignalsHeld held;
  std::string temporary;
  std::variant<int, FileProblem> made = MakeTemporary(d, temporary);
  if (auto* problem = std::get_if<FileProblem>(&made)) return std::move(*problem);
  Descriptor file(std::get<int>(made));
  const auto fail = [&](const std::string& reason) -> std::optional<FileProblem> {
    file.close();
    ::unlink(temporary.c_str());
    return FileProblem{reason, d.replacing};
  };
  if (std::optional<FileProblem> refused = MayNotReplace(d)) return fail(refused->reason);
  if (!WriteAll(file.get(), text) || ::fsync(file.get()) != 0) return fail(WriteReason(errno));
  // The permissions of the file replaced (and its owner and group, where this user may give
  // them), or those of any new file.
  if (d.replacing) {
    if (d.old.st_uid != ::geteuid() || d.old.st_gid != ::getegid()) {
      [[maybe_unused]] const int ignored = ::fchown(file.get(), d.old.st_uid, d.old.st_gid);
    }
    // Read, write and run for each class of user, never set-user-ID and the like.
    if (::fchmod(file.get(), d.old.st_mode & 0777) != 0) return fail(SystemReason(errno));
  } else if (::fchmod(file.get(), NewFileMode()) != 0) {
    return fail(SystemReason(errno));
  }
  if (!file.close()) return fail(WriteReason(errno));
  if (::rename(temporary.c_str(), d.target.c_str()) != 0) {
    const int error = errno;
    // EPERM: a shared folder (sticky, such as /tmp) where the file belongs to another user.
    return fail(error == EPERM || error == EACCES ? std::string(texts::kMayNotReplace)
                                                  : WriteReason(error));
  }
  return std::nullopt;
}

}  // namespace

std::optional<FileProblem> ReadFileText(const std::string& path, std::string& text) {
  // What the path names is looked at first: opening a serial port can reset the board on it.
  struct stat named {};
  if (::stat(path.c_str(), &named) != 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return FileProblem{texts::kNoSuchFile};
    if (error == EACCES || error == EPERM) return FileProblem{texts::kMayNotRead};
    return FileProblem{SystemReason(error)};
  }
  if (S_ISDIR(named.st_mode)) return FileProblem{texts::kFolder};
  if (!S_ISREG(named.st_mode)) return FileProblem{texts::kNotAFile};
  if (static_cast<std::uintmax_t>(named.st_size) > kMaxReadFileSize) {
    return FileProblem{texts::kTooLarge};
  }
  // O_NONBLOCK and the second look: a pipe put in the file's place since cannot block the read.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.get() < 0) {
    const int error = errno;
    if (error == ENOENT || error == ENOTDIR) return FileProblem{texts::kNoSuchFile};
    if (error == EACCES || error == EPERM) return FileProblem{texts::kMayNotRead};
    return FileProblem{SystemReason(error)};
  }
  struct stat opened {};
  if (::fstat(file.get(), &opened) != 0) return FileProblem{SystemReason(errno)};
  if (!S_ISREG(opened.st_mode)) return FileProblem{texts::kNotAFile};
  // A file that grows while it is read is still held to the limit.
  text.clear();
  char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n < 0) return FileProblem{SystemReason(errno)};
    if (n == 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
    if (text.size() > kMaxReadFileSize) return FileProblem{texts::kTooLarge};
  }
  return std::nullopt;
}

std::optional<FileProblem> PutFileText(const std::string& path, const std::string& text) {
  std::variant<Destination, FileProblem> examined = Examine(path);
  if (auto* problem = std::get_if<FileProblem>(&examined)) return std::move(*problem);
  const Destination& d = std::get<Destination>(examined);
  if (std::optional<FileProblem> problem = WriteAndRename(d, text)) return problem;
  // The rename is only on disk once the folder is. The new file is in place either way, so a
  // failed flush is no failure of the write.
  const Descriptor directory(::open(d.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0) ::fsync(directory.get());
  return std::nullopt;
}

std::optional<FileProblem> CheckFileReplaceable(const std::string& path) {
  std::variant<Destination, FileProblem> examined = Examine(path);
  if (auto* problem = std::get_if<FileProblem>(&examined)) return std::move(*problem);
  const Destination& d = std::get<Destination>(examined);
  const SignalsHeld held;
  std::string temporary;
  std::variant<int, FileProblem> made = MakeTemporary(d, temporary);
  if (auto* problem = std::get_if<FileProblem>(&made)) return std::move(*problem);
  ::close(std::get<int>(made));
  ::unlink(temporary.c_str());
  return MayNotReplace(d);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace vexaro
