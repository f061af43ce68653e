// The device lock on Windows: a named mutex in the session's Local\ namespace, named after the
// path. A mutex name may not hold a backslash, which every device path does, so the name carries
// a hash of the path (upper and lower case alike: Windows paths ignore case). The system gives
// the mutex back when its holder ends, however it ends.

#include <windows.h>

#include <cstdint>

#include "common/QuotedText.h"
#include "link/DeviceLock.h"

namespace vexaro {

namespace {

class MutexLock final : public DeviceLock {
 public:
  explicit MutexLock(HANDLE mutex) : mutex_(mutex) {}
  ~MutexLock() override {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_;
};

std::wstring MutexName(const std::string& path) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (char c : path) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  }
  static constexpr wchar_t kHex[] = L"0123456789abcdef";
  std::wstring name = L"Local\\vexaro-device-";
  for (int shift = 60; shift >= 0; shift -= 4) name += kHex[(hash >> shift) & 0x0f];
  return name;
}

}  // namespace

LockResult TryLockDevicePath(const std::string& name) {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, MutexName(name).c_str());
  if (mutex == nullptr) {
    return {nullptr, false, name,
            "the lock for " + QuotedText(name) + " cannot be taken (error " +
                std::to_string(GetLastError()) + ")."};
  }
  // Abandoned: its holder ended without giving it back; it is this program's now.
  const DWORD waited = WaitForSingleObject(mutex, 0);
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
    return {std::make_unique<MutexLock>(mutex), false, name, {}};
  }
  const DWORD error = GetLastError();  // before CloseHandle, which sets it anew
  CloseHandle(mutex);
  if (waited == WAIT_TIMEOUT) return {nullptr, true, name, {}};
  return {nullptr, false, name,
          "the lock for " + QuotedText(name) + " cannot be taken (error " + std::to_string(error) +
              ")."};
}

}  // namespace vexaro
