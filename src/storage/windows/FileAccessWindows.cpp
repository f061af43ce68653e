// The file calls on Windows: the wide-character file calls, so that every file
// name works whatever the ANSI code page.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <variant>

#include "common/Utf8Path.h"
#include "storage/FileAccess.h"

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

// A name that Windows takes for a device or a pipe rather than a file (NUL, COM1, CON, and any
// \\.\ name), told from its full form without opening it: opening a serial port can reset the
// board on it.
bool IsDeviceName(const std::wstring& name) {
  const DWORD size = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
  if (size == 0) return false;
  std::wstring full(size, L'\0');
  full.resize(GetFullPathNameW(name.c_str(), size, full.data(), nullptr));
  return full.rfind(L"\\\\.\\", 0) == 0;
}

// Where a write puts its file: the file a link at the path names, and whether a file is there to
// be replaced.
struct Destination {
  std::filesystem::path target;
  bool replacing = false;
};

// The full name of the file at `name`, through any symbolic link (or other reparse point) there,
// for the file opened without any access to it.
std::variant<std::filesystem::path, FileProblem> FinalPath(const std::wstring& name) {
  const Handle link(CreateFileW(name.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!link.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return FileProblem{texts::kLinkToNothing, false};
    }
    return FileProblem{Reason(error), false};
  }
  std::wstring target(MAX_PATH, L'\0');
  for (;;) {
    const DWORD size =
        GetFinalPathNameByHandleW(link.get(), target.data(), static_cast<DWORD>(target.size()),
                                  FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (size == 0) return FileProblem{Reason(GetLastError()), false};
    if (size < target.size()) {
      target.resize(size);
      return std::filesystem::path(target);
    }
    target.resize(size);
  }
}

// What a write would refuse before anything is made: a device or a pipe, a link to nothing, a
// folder, a read-only file.
std::variant<Destination, FileProblem> Examine(const std::string& path) {
  Destination d;
  d.target = PathFromUtf8(path);
  if (IsDeviceName(d.target.wstring())) return FileProblem{texts::kNotAFile, false};
  DWORD attributes = GetFileAttributesW(d.target.wstring().c_str());
  // A file to replace is named by its final path: a link is followed, and the file calls get a
  // full name (Wine's ReplaceFileW fails on a name in the Unix form).
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    std::variant<std::filesystem::path, FileProblem> target = FinalPath(d.target.wstring());
    if (auto* problem = std::get_if<FileProblem>(&target)) return std::move(*problem);
    d.target = std::get<std::filesystem::path>(target);
    attributes = GetFileAttributesW(d.target.wstring().c_str());
  }
  if (attributes == INVALID_FILE_ATTRIBUTES) return d;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileProblem{texts::kFolder, false};
  d.replacing = true;
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return FileProblem{texts::kReadOnly, true};
  return d;
}

// A new file of a short name in the destination's folder, made with CREATE_NEW: never a file that
// exists already. `temporary` gets its name.
std::variant<HANDLE, FileProblem> MakeTemporary(const Destination& d, std::wstring& temporary) {
  std::random_device seed;
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < 16 && error == ERROR_FILE_EXISTS; ++attempt) {
    wchar_t suffix[16];
    swprintf(suffix, 16, L".vexaro-%08x", static_cast<unsigned>(seed()));
    temporary = (d.target.parent_path() / suffix).wstring();
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    error = GetLastError();
  }
  if (error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) {
    return FileProblem{texts::kNoSuchFolder, false};
  }
  if (error == ERROR_ACCESS_DENIED) return FileProblem{texts::kMayNotMakeFile, d.replacing};
  return FileProblem{Reason(error), d.replacing};
}

// A file this user may not write is not replaced: opened for writing (nothing is written, nothing
// cut), it says whether it may be.
std::optional<FileProblem> MayNotReplace(const Destination& d) {
  if (!d.replacing) return std::nullopt;
  const Handle file(CreateFileW(d.target.wstring().c_str(), GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.valid()) return std::nullopt;
  const DWORD error = GetLastError();
  return FileProblem{error == ERROR_ACCESS_DENIED ? texts::kMayNotReplace : Reason(error), true};
}

// Held by a write from the new file's making until it is in place or removed. A console's Ctrl+C,
// Ctrl+Break or close waits for it before the program ends, so the new file is never left behind.
SRWLOCK writing = SRWLOCK_INIT;

BOOL WINAPI WaitForTheWrite(DWORD) {
  AcquireSRWLockShared(&writing);
  ReleaseSRWLockShared(&writing);
  return FALSE;  // the next handler, and in the end the system's, ends the program
}

class WriteInProgress {
 public:
  WriteInProgress() {
    static const bool registered = SetConsoleCtrlHandler(WaitForTheWrite, TRUE) != 0;
    static_cast<void>(registered);
    AcquireSRWLockExclusive(&writing);
  }
  WriteInProgress(const WriteInProgress&) = delete;
  WriteInProgress& operator=(const WriteInProgress&) = delete;
  ~WriteInProgress() { ReleaseSRWLockExclusive(&writing); }
};

// Writes the new file and puts it in the target's place; on a failure the new file is gone again.
std::optional<FileProblem> WriteAndReplace(const Destination& d, const std::string& text) {
  const WriteInProgress held;
  std::wstring temporary;
  std::variant<HANDLE, FileProblem> made = MakeTemporary(d, temporary);
  if (auto* problem = std::get_if<FileProblem>(&made)) return std::move(*problem);
  Handle file(std::get<HANDLE>(made));
  const auto fail = [&](DWORD error) -> std::optional<FileProblem> {
    file.close();
    DeleteFileW(temporary.c_str());
    return FileProblem{error == ERROR_ACCESS_DENIED ? texts::kMayNotReplace : Reason(error),
                       d.replacing};
  };
  if (std::optional<FileProblem> refused = MayNotReplace(d)) {
    file.close();
    DeleteFileW(temporary.c_str());
    return refused;
  }
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
  const std::wstring target = d.target.wstring();
  if (!d.replacing) {
    // A new file takes its folder's inherited permissions, as a file any program saves there.
    if (!MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
      return fail(GetLastError());
    }
    return std::nullopt;
  }
  // The new file takes the replaced file's security, attributes and streams.
  if (ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                   nullptr, nullptr)) {
    return std::nullopt;
  }
  const DWORD error = GetLastError();
  // The replaced file is gone already, and the new one still has its own name: give it the file's.
  if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
    if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return std::nullopt;
    const DWORD moveError = GetLastError();
    DeleteFileW(temporary.c_str());
    return FileProblem{Reason(moveError), false};
  }
  return fail(error);
}

}  // namespace

std::optional<FileProblem> ReadFileText(const std::string& path, std::string& text) {
  const std::wstring name = PathFromUtf8(path).wstring();
  if (IsDeviceName(name)) return FileProblem{texts::kNotAFile};
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return FileProblem{texts::kNoSuchFile};
    }
    if (error == ERROR_ACCESS_DENIED) return FileProblem{texts::kMayNotRead};
    return FileProblem{Reason(error)};
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileProblem{texts::kFolder};
  const Handle file(CreateFileW(name.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      return FileProblem{texts::kNoSuchFile};
    }
    if (error == ERROR_ACCESS_DENIED) return FileProblem{texts::kMayNotRead};
    return FileProblem{Reason(error)};
  }
  // A pipe or a device under a name that looked like a file's: nothing to read a file from.
  if (GetFileType(file.get()) != FILE_TYPE_DISK) return FileProblem{texts::kNotAFile};
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return FileProblem{Reason(GetLastError())};
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxReadFileSize) {
    return FileProblem{texts::kTooLarge};
  }
  text.clear();
  char buffer[16384];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &n, nullptr)) {
      return FileProblem{Reason(GetLastError())};
    }
    if (n == 0) break;
    text.append(buffer, n);
    if (text.size() > kMaxReadFileSize) return FileProblem{texts::kTooLarge};
  }
  return std::nullopt;
}

std::optional<FileProblem> PutFileText(const std::string& path, const std::string& text) {
  std::variant<Destination, FileProblem> examined = Examine(path);
  if (auto* problem = std::get_if<FileProblem>(&examined)) return std::move(*problem);
  return WriteAndReplace(std::get<Destination>(examined), text);
}

std::optional<FileProblem> CheckFileReplaceable(const std::string& path) {
  std::variant<Destination, FileProblem> examined = Examine(path);
  if (auto* problem = std::get_if<FileProblem>(&examined)) return std::move(*problem);
  const Destination& d = std::get<Destination>(examined);
  const WriteInProgress held;
  std::wstring temporary;
  std::variant<HANDLE, FileProblem> made = MakeTemporary(d, temporary);
  if (auto* problem = std::get_if<FileProblem>(&made)) return std::move(*problem);
  CloseHandle(std::get<HANDLE>(made));
  DeleteFileW(temporary.c_str());
  return MayNotReplace(d);
}

bool SameFile(const std::string& a, const std::string& b) {
  // The volume and the file's index on it, for a file opened without any access to it.
  const auto identity = [](const std::string& path) -> std::optional<std::array<DWORD, 3>> {
    const std::wstring name = PathFromUtf8(path).wstring();
    if (IsDeviceName(name)) return std::nullopt;
    const Handle file(CreateFileW(name.c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return std::array<DWORD, 3>{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  };
  const auto first = identity(a);
  return first && first == identity(b);
}

}  // namespace vexaro
