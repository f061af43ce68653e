// ReadWholeFile and WriteWholeFile on Windows: the wide-character file calls, so that every file
// name works whatever the ANSI code page.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <utility>

#include "storage/FileAccess.h"
#include "common/Utf8Path.h"

namespace vexaro {

namespace {

namespace texts = file_texts;

// A handle closed when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() { close(); }
  HANDLE get() const { return handle_; }
  void reset(HANDLE handle) {
    close();
    handle_ = handle;
  }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // Closes now, and says whether the system reported no error.
  bool close() {
    const HANDLE handle = std::exchange(handle_, INVALID_HANDLE_VALUE);
    return handle == INVALID_HANDLE_VALUE || CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

std::string SystemReason(DWORD error) {
  return "Windows error " + std::to_string(error);
}

std::string Reason(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return texts::kNoSuchFile;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return texts::kNoSuchFolder;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return texts::kDiskFull;
    case ERROR_WRITE_PROTECT:
      return texts::kReadOnlyDisk;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "another program holds it open";
    default:
      return SystemReason(error);
  }
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

Result<std::string> ReadWholeFile(const std::string& path) {
  const std::wstring name = PathFromUtf8(path).wstring();
  if (IsFolder(name)) return CannotRead(path, texts::kFolder);
  const Handle file(CreateFileW(name.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return CannotRead(path, texts::kNoSuchFile);
    }
    if (error == ERROR_ACCESS_DENIED) return CannotRead(path, texts::kMayNotRead);
    return CannotRead(path, Reason(error));
  }
  // NUL, CON, a pipe: nothing to read a file from.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return CannotRead(path, texts::kNotAFile);
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return CannotRead(path, Reason(GetLastError()));
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxReadFileSize) {
    return CannotRead(path, texts::kTooLarge);
  }
  std::string text;
  char buffer[16384];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
      return CannotRead(path, Reason(GetLastError()));
    }
    if (n == 0) break;
    text.append(buffer, n);
    if (text.size() > kMaxReadFileSize) return CannotRead(path, texts::kTooLarge);
  }
  return text;
}

Result<void> WriteWholeFile(const std::string& path, const std::string& text) {
  if (path.empty()) return Failure{texts::kNoName};
  const std::filesystem::path target = PathFromUtf8(path);
  const std::wstring targetName = target.wstring();
  const DWORD attributes = GetFileAttributesW(targetName.c_str());
  const bool replacing = attributes != INVALID_FILE_ATTRIBUTES;
  if (replacing && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return CannotWrite(path, texts::kFolder, false);
  }

  // A new name in the same folder, made with CREATE_NEW: never a file that exists already.
  std::random_device seed;
  std::wstring temporaryName;
  Handle file(INVALID_HANDLE_VALUE);
  for (int attempt = 0; attempt < 16 && !file.valid(); ++attempt) {
    std::filesystem::path temporary = target;
    temporary += L"." + std::to_wstring(seed() % 1000000000u) + L".part";
    temporaryName = temporary.wstring();
    file.reset(CreateFileW(temporaryName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid() && GetLastError() != ERROR_FILE_EXISTS) break;
  }
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) return CannotWrite(path, texts::kMayNotMakeFile, replacing);
    return CannotWrite(path, Reason(error), replacing);
  }
  const auto fail = [&](DWORD error) -> Result<void> {
    file.close();
    DeleteFileW(temporaryName.c_str());
    return CannotWrite(path, error == ERROR_ACCESS_DENIED ? texts::kMayNotReplace : Reason(error),
                       replacing);
  };
  std::size_t done = 0;
  while (done < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 20));
    DWORD n = 0;
    if (!WriteFile(file.get(), text.data() + done, chunk, &n, nullptr) || n == 0) {
      return fail(GetLastError());
    }
    done += n;
  }
  if (!FlushFileBuffers(file.get())) return fail(GetLastError());
  if (!file.close()) return fail(GetLastError());
  // The new file takes its folder's inherited permissions, as a file any program saves there.
  if (!MoveFileExW(temporaryName.c_str(), targetName.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return fail(GetLastError());
  }
  return {};
}

}  // namespace vexaro
