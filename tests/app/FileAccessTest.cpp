// The files that backup writes and restore and set --from read: every way a file cannot be put in
// place or read is one sentence and a non-zero exit, and an earlier backup stays as it was.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <set>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include "common/QuotedText.h"
#include "storage/FileAccess.h"
#include "support/CliRun.h"
#include "support/TestFiles.h"

namespace vexaro {
namespace {

namespace fs = std::filesystem;

// Root may write and read whatever the permissions say. Run as root, a command given to this
// runs as the user nobody (uid 65534) instead, so that permissions apply.
struct AsAnotherUser {
  AsAnotherUser(const AsAnotherUser&) = delete;
#ifndef _WIN32
  AsAnotherUser() : switched(::geteuid() == 0 && ::setegid(65534) == 0 && ::seteuid(65534) == 0) {}
  ~AsAnotherUser() {
    EXPECT_TRUE(!switched || (::seteuid(0) == 0 && ::setegid(0) == 0));
  }
  const bool switched;
#else
  AsAnotherUser() = default;
  const bool switched = false;
#endif
};

std::set<std::string> NamesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

const std::string kEarlier = "{ \"an earlier backup\": 1 }\n";

TEST(BackupFile, IsPutInPlaceWholeOrNotAtAll) {
  using P = const fs::path&;
  struct Case {
    const char* name;
    // Makes the case in `folder`, where "b.json" holds kEarlier, and returns the path to back up
    // to. The folder's listing after the run must be the same as before it.
    std::function<fs::path(P folder)> make;
    std::string error;  // standard error, FILE for the path; empty: the backup is written
    std::function<void(P file)> check;  // more to check afterwards, or null
    // Run as nobody when the test runs as root; `needsRoot`: the case needs a file of another
    // user, and is left out when the test does not run as root.
    bool anotherUser = false;
    bool needsRoot = false;
    std::uintmax_t sizeLimit = 0;  // of the files this process may write, as on a full disk
  };
  // clang-format off
  const Case cases[] = {
      {"a folder", [](P d) { fs::create_directories(d / "sub" / "x"); return d / "sub"; }, "cannot write FILE: it is a folder, not a file; nothing was written.", nullptr},
      {"no such folder", [](P d) { return d / "none" / "b.json"; }, "cannot write FILE: its folder does not exist; nothing was written.", nullptr},
      // Refused for root too, who could write it, as the simulated device's memory file is.
      {"a read-only file", [](P d) { fs::permissions(d / "b.json", fs::perms::owner_read); return d / "b.json"; }, "cannot write FILE: it is read-only; the file already there is unchanged.", [](P f) { fs::permissions(f, fs::perms::owner_all); }},
      // The longest name the file system takes, so the new file's name must be shorter.
      {"a name of 255 bytes", [](P d) { return d / (std::string(250, 'n') + ".json"); }, "", nullptr},
#ifndef _WIN32
      {"a pipe", [](P d) { ::mkfifo((d / "pipe").c_str(), 0600); return d / "pipe"; }, "cannot write FILE: it is a device or a pipe, not a file; nothing was written.", [](P f) { EXPECT_TRUE(fs::is_fifo(f)); }},
      {"a read-only folder", [](P d) { fs::permissions(d, fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write)); return d / "b.json"; }, "cannot write FILE: this user may not make a file in its folder; the file already there is unchanged.", nullptr, true},
      // Another user's file, in a shared folder (sticky, as /tmp) and in one anybody may write.
      {"a file of another user in a shared folder", [](P d) { fs::permissions(d, fs::perms::all | fs::perms::sticky_bit); return d / "b.json"; }, "cannot write FILE: this user may not replace it; the file already there is unchanged.", nullptr, true, true},
      {"a file of another user in an open folder", [](P d) { fs::permissions(d, fs::perms::all); return d / "b.json"; }, "cannot write FILE: this user may not replace it; the file already there is unchanged.", nullptr, true, true},
      // The kernel's SIGXFSZ, which would end the program, becomes a sentence.
      {"a write that fails part way", [](P d) { return d / "b.json"; }, "cannot write FILE: it would be larger than this user's file size limit; the file already there is unchanged.", nullptr, false, false, 1000},
      {"the replaced file's permissions", [](P d) { fs::permissions(d / "b.json", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read); return d / "b.json"; }, "", [](P f) { EXPECT_EQ(fs::status(f).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read); }},
      {"a new file's permissions", [](P d) { return d / "new.json"; }, "", [](P f) { const mode_t mask = ::umask(0); ::umask(mask); EXPECT_EQ(static_cast<mode_t>(fs::status(f).permissions()), 0666 & ~mask); }},
      {"a link to the backup", [](P d) { fs::create_symlink("b.json", d / "link"); return d / "link"; }, "", [](P f) { EXPECT_TRUE(fs::is_symlink(f)); EXPECT_THAT(ReadTestFile((f.parent_path() / "b.json").string()), ::testing::HasSubstr("\"memory\"")); }},
#endif
  };
  // clang-format on
  std::string leftOut;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsRoot && !AsAnotherUser().switched) {
      leftOut += std::string(leftOut.empty() ? "" : ", ") + c.name;
      continue;
    }
    const fs::path folder = TestFolder() / c.name;
    fs::create_directories(folder);
    std::ofstream(folder / "b.json", std::ios::binary) << kEarlier;
    const fs::path file = c.make(folder);
    std::set<std::string> names = NamesIn(folder);
    if (c.error.empty()) names.insert(file.filename().string());

    const CliOutcome run = [&] {
      const std::optional<AsAnotherUser> user =
          c.anotherUser ? std::make_optional<AsAnotherUser>() : std::nullopt;
#ifndef _WIN32
      rlimit before{};
      ::getrlimit(RLIMIT_FSIZE, &before);
      const rlimit limited{c.sizeLimit != 0 ? c.sizeLimit : before.rlim_cur, before.rlim_max};
      EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);  // a backup is some 3600 bytes
#endif
      const CliOutcome outcome = CliDevice()({"backup", file.string()});
#ifndef _WIN32
      ::setrlimit(RLIMIT_FSIZE, &before);
#endif
      return outcome;
    }();
    fs::permissions(folder, fs::perms::owner_all);
    std::string error = c.error;
    if (!error.empty())
      error = "vexaro: " + error.replace(error.find("FILE"), 4, QuotedText(file.string())) + "\n";
    EXPECT_EQ(run.err, error);
    EXPECT_EQ(run.status, error.empty() ? kExitDone : kExitBadInput);
    EXPECT_EQ(NamesIn(folder), names);  // no file left behind
    if (error.empty()) {
      EXPECT_NE(ReadTestFile(file.string()).find("\"memory\""), std::string::npos);
    } else {
      EXPECT_EQ(ReadTestFile((folder / "b.json").string()), kEarlier);
    }
    if (c.check) c.check(file);
  }
  if (!leftOut.empty()) GTEST_SKIP() << "only root can make a file of another user: " << leftOut;
}

#ifndef _WIN32
// A termination signal while a backup (or the memory file) is written leaves the earlier file or
// the new one, and no other; a child writes again and again, signalled once it has written once.
TEST(BackupFile, ATerminationSignalLeavesNoPartOfAFile) {
  const std::string earlier(4000, 'e');
  const std::string later(4000, 'l');
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    for (int round = 0; round < 5; ++round) {
      SCOPED_TRACE("signal " + std::to_string(signal) + ", round " + std::to_string(round));
      const fs::path folder = TestFolder() / "signalled";
      fs::create_directories(folder);
      const std::string file = (folder / "b.json").string();
      ASSERT_TRUE(WriteWholeFile(file, earlier));
      int ready[2];
      ASSERT_EQ(::pipe(ready), 0);
      const pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        for (bool told = false;; told = true) {
          if (!WriteWholeFile(file, told ? earlier : later)) ::_exit(1);
          if (!told && ::write(ready[1], "w", 1) != 1) ::_exit(1);
        }
      }
      ::close(ready[1]);
      char written = 0;
      EXPECT_EQ(::read(ready[0], &written, 1), 1);
      ::close(ready[0]);
      ::kill(child, signal);
      int status = 0;
      ASSERT_EQ(::waitpid(child, &status, 0), child);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal);
      EXPECT_EQ(NamesIn(folder), std::set<std::string>{"b.json"});
      EXPECT_THAT(ReadTestFile(file), ::testing::AnyOf(earlier, later));
      fs::remove_all(folder);
    }
  }
}

#endif

// restore and set --from read only an ordinary file of at most 1 MiB; anything else is one
// sentence and exit status 2, before the device is reached.
TEST(BackupFile, OnlyAnOrdinaryFileOfAtMostOneMebibyteIsRead) {
  const std::string backup = (TestFolder() / "whole.json").string();
  ASSERT_EQ(CliDevice()({"backup", backup}).status, kExitDone);
  const std::string settings = CliDevice()({"read", "--json"}).out;
  // A file of exactly `size` bytes that holds `text`, padded with blanks.
  const auto padded = [](const std::string& name, std::string text, std::size_t size) {
    text.insert(text.size() - 2, size - text.size(), ' ');
    return TestFile(name, text);
  };
  constexpr std::size_t kMebibyte = 1 << 20;
  const std::string kNull =
#ifdef _WIN32
      "NUL";
#else
      "/dev/null";
#endif
  struct Case {
    std::string restored;      // read by restore
    std::string settingsFile;  // read by set --from
    std::string reason;        // empty: read and stored
    bool anotherUser = false;  // run as nobody when the test runs as root
  };
  // clang-format off
  std::vector<Case> cases = {
      {TestFolder().string(), TestFolder().string(), "it is a folder, not a file"},
      {kNull, kNull, "it is a device or a pipe, not a file"},
      {(TestFolder() / "none.json").string(), (TestFolder() / "none.json").string(), "there is no such file"},
      {padded("big.json", ReadTestFile(backup), kMebibyte + 1), padded("big-settings.json", settings, kMebibyte + 1), "it is larger than 1 MiB, far more than a backup or a settings file holds"},
      {padded("limit.json", ReadTestFile(backup), kMebibyte), padded("limit-settings.json", settings, kMebibyte), ""},
  };
  // clang-format on
#ifndef _WIN32
  const std::string pipe = (TestFolder() / "pipe").string();
  ::mkfifo(pipe.c_str(), 0600);  // opened for reading, it would wait for a writer
  cases.push_back({pipe, pipe, "it is a device or a pipe, not a file"});
  const std::string locked = TestFile("locked.json", "{}");
  fs::permissions(locked, fs::perms::none);
  cases.push_back({locked, locked, "this user may not read it", true});
#endif
  for (const Case& c : cases) {
    for (const auto& args : {std::vector<std::string>{"--trace", "restore", c.restored},
                             {"--trace", "set", "--from", c.settingsFile}}) {
      SCOPED_TRACE(args[1] + " " + args.back());
      CliDevice device;
      const DeviceStore before = device.store();
      const CliOutcome run = [&] {
        const std::optional<AsAnotherUser> user =
            c.anotherUser ? std::make_optional<AsAnotherUser>() : std::nullopt;
        return device(args);
      }();
      if (c.reason.empty()) {
        EXPECT_EQ(run.status, kExitDone) << run.err;
        continue;
      }
      EXPECT_EQ(run.status, kExitBadInput);
      EXPECT_EQ(run.err,
                "vexaro: cannot read " + QuotedText(args.back()) + ": " + c.reason + ".\n");
      EXPECT_EQ(device.store(), before);
    }
  }
}

}  // namespace
}  // namespace vexaro
