// The PulseAudio sound output against a server of the test's own: Debian's pulseaudio with a null
// sink and its runtime folders in the test's folder, the sink's monitor recorded with parec. The
// first test skips, saying why, only where that server cannot start.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "melody/TuneSound.h"
#include "sound/pulse/PulseSound.h"
#include "support/TestFiles.h"

namespace vexaro {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kPatience{30};  // for anything on a loaded machine

// Every client of this process, parec too, finds the server through PULSE_SERVER. Nothing of the
// server goes outside the folder: no session bus started for it, no cookie in the user's home.
void UseServerAt(const std::filesystem::path& folder) {
  setenv("HOME", folder.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
  setenv("PULSE_RUNTIME_PATH", (folder / "pulse").c_str(), 1);
  setenv("PULSE_SERVER", ("unix:" + (folder / "native").string()).c_str(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + (folder / "no-bus").string()).c_str(), 1);
  unsetenv("DISPLAY");
}

// Looks every 5 ms until `done` holds; false when it never did.
template <typename Done>
bool WaitFor(Done done) {
  for (const auto end = Clock::now() + kPatience; !done();) {
    if (Clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class PulseServer {
 public:
  // Returns when the server answers (-D: its starter waits for that), or has failed to start. Its
  // output goes to /dev/null, so that a server left by a dying test holds no runner's pipe.
  PulseServer() {
    UseServerAt(TestFolder());
    const std::string start =
        "pulseaudio -n -D --exit-idle-time=60 --use-pid-file=yes --log-target=file:'" +
        (TestFolder() / "pulseaudio.log").string() +
        "' --load='module-null-sink sink_name=null' --load='module-native-protocol-unix socket=" +
        (TestFolder() / "native").string() + " auth-anonymous=1' </dev/null >/dev/null 2>&1";
    status_ = std::system(start.c_str());
    const std::string pid = ReadTestFile((TestFolder() / "pulse" / "pid").string());
    if (status_ == 0 && !pid.empty()) pid_ = std::stoi(pid);
  }
  ~PulseServer() {
    if (pid_ <= 0 || kill(pid_, SIGTERM) != 0) return;
    WaitFor([this] {  // gone, or a zombie whose parent is not ours
      const std::string stat = ReadTestFile("/proc/" + std::to_string(pid_) + "/stat");
      return stat.empty() || stat.find(") Z ") != std::string::npos;
    });
  }
  bool started() const { return pid_ > 0; }
  std::string why() const {
    return "exit status " + std::to_string(WIFEXITED(status_) ? WEXITSTATUS(status_) : -1) + "; " +
           ReadTestFile((TestFolder() / "pulseaudio.log").string());
  }

 private:
  int status_ = -1;
  pid_t pid_ = 0;
};

// parec on the null sink's monitor, 16-bit mono at the sound's rate.
class Recorder {
 public:
  Recorder() {
    int out[2];
    if (pipe(out) != 0) return;
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, out[1], 1);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    const std::string rate = "--rate=" + std::to_string(kSoundRate);
    const char* args[] = {"parec",          "-d",         "null.monitor", "--raw",
                          "--format=s16ne", rate.c_str(), "--channels=1", "--latency-msec=20",
                          nullptr};
    if (posix_spawnp(&pid_, "parec", &files, nullptr, const_cast<char**>(args), environ) != 0) {
      pid_ = 0;
    }
    posix_spawn_file_actions_destroy(&files);
    close(out[1]);
    out_ = out[0];
  }
  ~Recorder() {
    if (pid_ > 0 && kill(pid_, SIGINT) == 0) waitpid(pid_, nullptr, 0);
    close(out_);
  }

  // Reads until `enough` holds of the samples recorded so far.
  template <typename Enough>
  bool record(Enough enough) {
    for (const auto end = Clock::now() + kPatience; !enough(samples());) {
      pollfd wait{out_, POLLIN, 0};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
      char buffer[4096];
      const ssize_t got = poll(&wait, 1, static_cast<int>(left.count())) > 0
                              ? read(out_, buffer, sizeof buffer)
                              : 0;
      if (got <= 0) return false;
      bytes_.append(buffer, static_cast<std::size_t>(got));
    }
    return true;
  }
  std::vector<std::int16_t> samples() const {
    std::vector<std::int16_t> s(bytes_.size() / 2);
    if (!s.empty()) std::memcpy(s.data(), bytes_.data(), s.size() * 2);
    return s;
  }

 private:
  pid_t pid_ = 0;
  int out_ = -1;
  std::string bytes_;
};

TEST(PulseSound, TheSinkHearsTheDevicesPitchAndThePlayEndsOrStops) {
  const PulseServer server;
  if (!server.started()) GTEST_SKIP() << "pulseaudio cannot start here: " << server.why();
  Recorder parec;
  // Silence flowing in: the recording runs.
  ASSERT_TRUE(parec.record([](const auto& s) { return s.size() >= kSoundRate / 20; }));

  // Pitch code 60: a period of 480 us, 2083.33 Hz, for 10 x 16 periods (76.8 ms, within what the
  // server takes before it starts, so no late write can cut it), then a pause and a note.
  const TuneSound sound = RenderTuneSound({60, 10, 0, 5, 90, 3});
  const std::unique_ptr<SoundOutput> output = MakePulseSoundOutput();
  const Result<void> started = output->start(sound.samples);
  ASSERT_TRUE(started) << started.why();

  // The first note, from its first sound to the pause, but for 5 ms at either end. (The monitor
  // may miss its first milliseconds: the sink rewinds to mix in a new stream, and a monitor
  // keeps what it had been given.)
  const std::size_t edge = kSoundRate / 200;
  std::size_t first = 0;
  std::size_t end = 0;
  ASSERT_TRUE(parec.record([&](const std::vector<std::int16_t>& s) {
    while (first < s.size() && s[first] == 0) ++first;
    for (end = first; end < s.size() && s[end] != 0;) ++end;
    return end + 100 < s.size();
  }));
  const std::vector<std::int16_t> heard = parec.samples();
  std::vector<std::size_t> rises;
  for (std::size_t i = first + edge; i + edge < end; ++i) {
    if (heard[i - 1] < 0 && heard[i] >= 0) rises.push_back(i);
  }
  ASSERT_GT(rises.size(), 80u);  // of the note's 160 periods
  const double hertz = static_cast<double>(rises.size() - 1) * kSoundRate /
                       static_cast<double>(rises.back() - rises.front());
  EXPECT_NEAR(hertz, 2083.33, 2083.33 * 0.01);

  ASSERT_TRUE(WaitFor([&] { return !output->progress().playing; }));
  EXPECT_EQ(output->progress().sample, sound.samples.size());
  EXPECT_EQ(output->progress().failure, "");

  // The factory tune, about 9 s, stopped once it sounds: at once, short of its end.
  const TuneSound tune = RenderTuneSound(DefaultTuneImage());
  ASSERT_TRUE(output->start(tune.samples));
  ASSERT_TRUE(WaitFor([&] { return output->progress().sample > 0; }));
  output->stop();
  EXPECT_FALSE(output->progress().playing);
  EXPECT_LT(output->progress().sample, tune.samples.size() / 2);
}

TEST(PulseSound, NoServerIsOneSentence) {
  UseServerAt(TestFolder() / "nothing-here");
  const Result<void> started = MakePulseSoundOutput()->start({1, 2, 3});
  ASSERT_FALSE(started);
  EXPECT_EQ(started.why(),
            "No sound output: the sound server cannot be reached (Connection refused).");
}

}  // namespace
}  // namespace vexaro
