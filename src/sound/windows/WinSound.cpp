#include "sound/windows/WinSound.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <algorithm>
#include <chrono>

#include "melody/TuneSound.h"

namespace vexaro {
namespace {

class WinSound final : public SoundOutput {
 public:
  ~WinSound() override { stop(); }

  Result<void> start(std::vector<std::int16_t> samples) override {
    stop();
    if (waveOutGetNumDevs() == 0) return Failure{NoSoundOutputText("Windows has no sound device.")};
    // Windows reads the file from this buffer while it plays: it stays until the play is stopped.
    wave_ = WaveFile(samples);
    samples_ = samples.size();
    SetLastError(0);
    if (!PlaySoundW(reinterpret_cast<LPCWSTR>(wave_.data()), nullptr,
                    SND_MEMORY | SND_ASYNC | SND_NODEFAULT)) {
      const DWORD error = GetLastError();
      wave_ = {};
      return Failure{NoSoundOutputText(
          "Windows did not play the sound" +
          (error != 0 ? " (error " + std::to_string(error) + ")." : std::string(".")))};
    }
    started_ = std::chrono::steady_clock::now();
    return {};
  }

  void stop() override {
    if (wave_.empty()) return;
    PlaySoundW(nullptr, nullptr, 0);  // returns once Windows is done with the buffer
    wave_ = {};
  }

  SoundProgress progress() override {
    if (wave_.empty()) return {};
    const std::chrono::duration<double> since = std::chrono::steady_clock::now() - started_;
    const auto sounded = std::min(samples_, static_cast<std::size_t>(since.count() * kSoundRate));
    return {sounded < samples_, sounded, {}};
  }

 private:
  std::vector<std::uint8_t> wave_;  // empty: no play started since the last stop
  std::size_t samples_ = 0;
  std::chrono::steady_clock::time_point started_;
};

}  // namespace

std::unique_ptr<SoundOutput> MakeWinSoundOutput() {
  return std::make_unique<WinSound>();
}

}  // namespace vexaro
