#include "sound/pulse/PulseSound.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <system_error>
#include <thread>

#include "melody/TuneSound.h"

namespace vexaro {
namespace {

// One write hands over about 23 ms of sound, so that a stop is seen that soon.
constexpr std::size_t kChunkSamples = 1024;
// The server holds about 100 ms ahead of the speakers: the play ends that soon after its last
// write, and the position it reports lags the speakers by no more.
constexpr std::uint32_t kBufferedBytes = kSoundRate / 10 * sizeof(std::int16_t);
constexpr std::uint32_t kServerChooses = static_cast<std::uint32_t>(-1);

std::string Because(int error) {
  return std::string(" (") + pa_strerror(error) + ").";
}

class PulseSound final : public SoundOutput {
 public:
  ~PulseSound() override { stop(); }

  Result<void> start(std::vector<std::int16_t> samples) override {
    stop();
    const pa_sample_spec format{PA_SAMPLE_S16LE, kSoundRate, 1};
    const pa_buffer_attr buffer{kServerChooses, kBufferedBytes, kServerChooses, kServerChooses,
                                kServerChooses};
    int error = 0;
    pa_simple* stream = pa_simple_new(nullptr, "Vexaro USB Link", PA_STREAM_PLAYBACK, nullptr,
                                      "Melody", &format, nullptr, &buffer, &error);
    if (stream == nullptr) {
      return Failure{NoSoundOutputText("the sound server cannot be reached" + Because(error))};
    }
    samples_ = std::move(samples);
    stopping_ = false;
    setProgress({true, 0, {}});
    try {
      worker_ = std::thread([this, stream] { play(stream); });
    } catch (const std::system_error& e) {
      pa_simple_free(stream);
      setProgress({});
      return Failure{NoSoundOutputText(std::string("no thread to play on (") + e.what() + ").")};
    }
    return {};
  }

  void stop() override {
    if (!worker_.joinable()) return;
    stopping_ = true;
    worker_.join();
  }

  SoundProgress progress() override {
    const std::lock_guard lock(mutex_);
    return progress_;
  }

 private:
  void setProgress(SoundProgress progress) {
    const std::lock_guard lock(mutex_);
    progress_ = std::move(progress);
  }

  // The worker: writes until the samples are all given or a stop is asked for, then lets the
  // server play out what it holds, or drops it on a stop. pa_simple is used by this thread alone.
  void play(pa_simple* stream) {
    std::size_t written = 0;
    std::string failure;
    int error = 0;
    while (written < samples_.size() && !stopping_) {
      const std::size_t count = std::min(kChunkSamples, samples_.size() - written);
      if (pa_simple_write(stream, samples_.data() + written, count * sizeof(std::int16_t), &error) <
          0) {
        failure = "The sound stopped: the sound server failed" + Because(error);
        break;
      }
      written += count;
      // What the server still holds has not sounded yet.
      const pa_usec_t latency = pa_simple_get_latency(stream, &error);
      if (latency != static_cast<pa_usec_t>(-1)) {
        const auto held = static_cast<std::size_t>(latency * kSoundRate / 1'000'000);
        const std::lock_guard lock(mutex_);
        progress_.sample = written - std::min(written, held);
      }
    }
    if (stopping_) {
      pa_simple_flush(stream, &error);
    } else if (failure.empty() && pa_simple_drain(stream, &error) < 0) {
      failure = "The sound stopped: the sound server failed" + Because(error);
    }
    pa_simple_free(stream);
    const std::lock_guard lock(mutex_);
    progress_.playing = false;
    if (failure.empty() && !stopping_) progress_.sample = samples_.size();
    progress_.failure = failure;
  }

  std::vector<std::int16_t> samples_;  // written by start() only while no worker runs
  std::atomic<bool> stopping_ = false;
  std::mutex mutex_;
  SoundProgress progress_;
  std::thread worker_;
};

}  // namespace

std::unique_ptr<SoundOutput> MakePulseSoundOutput() {
  return std::make_unique<PulseSound>();
}

}  // namespace vexaro
