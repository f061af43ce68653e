// The device lock on Linux and macOS: flock. On the device node itself when the name is one (a
// hidraw node: every user who may open the device may flock it, whoever they are); otherwise on a
// lock file in the user's runtime folder named after the path (macOS's IOService paths, the
// simulated device's memory file). A lock file is removed as its lock is given back, so none is
// left behind.

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "common/QuotedText.h"
#include "link/DeviceLock.h"

namespace vexaro {

namespace {

class FlockLock final : public DeviceLock {
 public:
  FlockLock(int fd, std::string lockFile, std::string ownFolder)
      : fd_(fd), lockFile_(std::move(lockFile)), ownFolder_(std::move(ownFolder)) {}
  ~FlockLock() override {
    // Removed while still held: a program that opened it meanwhile finds it gone and makes anew.
    if (!lockFile_.empty()) ::unlink(lockFile_.c_str());
    ::close(fd_);
    // Our own folder goes with its last lock file (rmdir leaves a folder that is not empty).
    if (!ownFolder_.empty()) ::rmdir(ownFolder_.c_str());
  }

 private:
  int fd_;
  std::string lockFile_;
  std::string ownFolder_;
};

// $XDG_RUNTIME_DIR (the user's own, 0700), else a folder of this user's own in /tmp, made for the
// lock and removed with its last lock. Returns the folder and whether it is our own.
std::pair<std::string, bool> RuntimeFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') return {runtime, false};
  return {"/tmp/vexaro-" + std::to_string(::getuid()), true};
}

// The path as a file name: letters, digits, '.', '-' and '_' as they are, any other byte as %XX;
// a name too long for a file ends in a hash of the whole path.
std::string LockFileName(const std::string& path) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
        c == '-' || c == '_') {
      name += c;
    } else {
      name += '%';
      name += kHex[byte >> 4];
      name += kHex[byte & 0x0f];
    }
  }
  constexpr std::size_t kMaxName = 200;
  if (name.size() > kMaxName) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : path) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    std::string tail;
    for (int shift = 60; shift >= 0; shift -= 4) tail += kHex[(hash >> shift) & 0x0f];
    name = name.substr(0, kMaxName - tail.size() - 1) + "~" + tail;
  }
  return "vexaro-" + name + ".lock";
}

LockResult Refused(const std::string& name, const std::string& what) {
  const std::string reason = what + ": " + std::strerror(errno);
  return {nullptr, false, name,
          "the lock for " + QuotedText(name) + " cannot be taken (" + reason + ")."};
}

LockResult OnDeviceNode(const std::string& name) {
  const int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return Refused(name, "open");
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool busy = errno == EWOULDBLOCK;
    LockResult refused = busy ? LockResult{nullptr, true, name, {}} : Refused(name, "flock");
    ::close(fd);
    return refused;
  }
  return {std::make_unique<FlockLock>(fd, std::string(), std::string()), false, name, {}};
}

LockResult InRuntimeFolder(const std::string& name) {
  const auto [folder, own] = RuntimeFolder();
  const std::string file = folder + "/" + LockFileName(name);
  // A holder removes the file (and our own folder) as it lets go; a lock on a removed file guards
  // nothing, so open again until the lock is on the file that the name shows.
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (own) {
      if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return Refused(name, folder);
      struct stat info {};
      if (::lstat(folder.c_str(), &info) != 0) {
        if (errno == ENOENT) continue;  // removed by a holder letting go
        return Refused(name, folder);
      }
      if (!S_ISDIR(info.st_mode) || info.st_uid != ::getuid() || (info.st_mode & 0022) != 0) {
        errno = EPERM;  // someone else's, or one others may write into
        return Refused(name, folder);
      }
    }
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 && errno == ENOENT && own) continue;
    if (fd < 0) return Refused(name, file);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const bool busy = errno == EWOULDBLOCK;
      LockResult refused = busy ? LockResult{nullptr, true, name, {}} : Refused(name, "flock");
      ::close(fd);
      return refused;
    }
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) == 0 && ::stat(file.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      return {std::make_unique<FlockLock>(fd, file, own ? folder : std::string()), false, name, {}};
    }
    ::close(fd);
  }
  errno = EAGAIN;
  return Refused(name, file);
}

}  // namespace

LockResult TryLockDevicePath(const std::string& name) {
  struct stat info {};
  if (::stat(name.c_str(), &info) == 0 && S_ISCHR(info.st_mode)) return OnDeviceNode(name);
  return InRuntimeFolder(name);
}

}  // namespace vexaro
