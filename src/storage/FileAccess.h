#pragma once
// The files that the command-line tool reads whole and writes whole (backups, settings files).
// Each platform has its own implementation (posix/, windows/); what they tell a user is the same.

#include <cstddef>
#include <string>

#include "common/Result.h"

namespace vexaro {

// Far more than any backup or settings file (a few kilobytes): a larger file is not one of them.
inline constexpr std::size_t kMaxReadFileSize = std::size_t{1} << 20;

// The whole contents of the ordinary file at `path` (UTF-8). A folder, a device, a pipe, a file
// larger than kMaxReadFileSize or one that cannot be read fails with one sentence that starts
// "cannot read PATH: ". A pipe or device is never opened for reading, so it cannot block.
Result<std::string> ReadWholeFile(const std::string& path);

// Puts `text` at `path` whole or not at all: a new file of a name nobody can foresee is made in
// the same folder (never through a symbolic link), written, flushed to disk, given the
// permissions of the file it replaces, then renamed over `path`, and the folder flushed. On any
// failure the new file is removed, a file already at `path` is left as it was, and the sentence
// starts "cannot write PATH: ". A symbolic link at `path` is followed: the file it names is
// replaced, and the link stays.
Result<void> WriteWholeFile(const std::string& path, const std::string& text);

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
