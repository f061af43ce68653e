#pragma once
// The files that the programs read whole and write whole (backups, settings files, the simulated
// device's memory file).
// Each platform has its own implementation (posix/, windows/); what they tell a user is the same.

#include <cstddef>
#include <optional>
#include <string>

#include "common/Result.h"

namespace vexaro {

// Far more than any backup or settings file (a few kilobytes): a larger file is not one of them.
inline constexpr std::size_t kMaxReadFileSize = std::size_t{1} << 20;

// The whole contents of the ordinary file at `path` (UTF-8). A folder, a device, a pipe, a file
// larger than kMaxReadFileSize or one that cannot be read fails with one sentence that starts
// "cannot read PATH: ". What `path` names is looked at before it is opened: a pipe, a serial port
// or any other device is never opened, so nothing blocks and no board on a port is reset.
Result<std::string> ReadWholeFile(const std::string& path);

// Puts `text` at `path` whole or not at all: a new file of a short name nobody can foresee is made
// in the same folder (never through a symbolic link), written, flushed to disk, then put in the
// place of `path`, where it keeps the permissions of the file it replaces (on Windows its security
// and attributes), and the folder is flushed where the system has such a flush. A symbolic link at
// `path` is followed: the file it names is replaced, and the link stays. A read-only file, or one
// this user may not write, is refused, as are a folder, a device and a pipe. On any failure the
// new file is removed, a file already at `path` is left as it was, and the sentence starts
// "cannot write PATH: ". Once the new file is in place the write has succeeded: a failed flush of
// the folder after it is not reported. Termination signals (SIGINT, SIGTERM, SIGHUP) wait until
// the new file is in place or removed, and a file larger than this user's size limit
// (RLIMIT_FSIZE) is a failure like a full disk, not the end of the program.
Result<void> WriteWholeFile(const std::string& path, const std::string& text);

// What went wrong with a file, in words that follow "cannot read PATH: " or "cannot write PATH: ".
struct FileProblem {
  std::string reason;
  bool earlierFileKept = false;  // a write: a file already at the path is left as it was
};

// The platform's calls (posix/, windows/) behind ReadWholeFile and WriteWholeFile, for a caller
// with sentences of its own. Nothing: done. `path` is not empty.
std::optional<FileProblem> ReadFileText(const std::string& path, std::string& text);
std::optional<FileProblem> PutFileText(const std::string& path, const std::string& text);

// What PutFileText would refuse before it writes, asked ahead of work that the write is to keep:
// the file's kind and permissions, and a file made (and removed again) in its folder.
std::optional<FileProblem> CheckFileReplaceable(const std::string& path);

// Whether `a` and `b` name one existing file, through links and other spellings of its path.
bool SameFile(const std::string& a, const std::string& b);

// The sentences of both platforms, so that they read the same everywhere.
namespace file_texts {
inline constexpr const char* kNoSuchFile = "there is no such file";
inline constexpr const char* kFolder = "it is a folder, not a file";
inline constexpr const char* kNotAFile = "it is a device or a pipe, not a file";
inline constexpr const char* kMayNotRead = "this user may not read it";
inline constexpr const char* kTooLarge =
    "it is larger than 1 MiB, far more than a backup or a settings file holds";
inline constexpr const char* kNoSuchFolder = "its folder does not exist";
inline constexpr const char* kMayNotMakeFile = "this user may not make a file in its folder";
inline constexpr const char* kMayNotReplace = "this user may not replace it";
inline constexpr const char* kReadOnly = "it is read-only";
inline constexpr const char* kOverSizeLimit = "it would be larger than this user's file size limit";
inline constexpr const char* kDiskFull = "the disk is full";
inline constexpr const char* kReadOnlyDisk = "the disk is read-only";
inline constexpr const char* kNoName = "cannot write a file without a name.";
inline constexpr const char* kLinkToNothing = "it is a symbolic link to a file that does not exist";
}  // namespace file_texts

// "cannot read PATH: REASON." and "cannot write PATH: REASON; ..." (saying whether an earlier
// file at PATH is left as it was).
Failure CannotRead(const std::string& path, const std::string& reason);
Failure CannotWrite(const std::string& path, const std::string& reason, bool earlierFileKept);

}  // namespace vexaro
