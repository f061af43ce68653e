#include "sound/mac/MacSound.h"

#include <AudioToolbox/AudioToolbox.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

#include "melody/TuneSound.h"

namespace vexaro {
namespace {

constexpr int kBuffers = 3;
constexpr UInt32 kBufferSamples = 4096;  // about 93 ms each

std::string Because(const char* call, OSStatus status) {
  return std::string(call) + " failed with status " + std::to_string(status) + ".";
}

class MacSound final : public SoundOutput {
 public:
  ~MacSound() override { stop(); }

  Result<void> start(std::vector<std::int16_t> samples) override {
    stop();
    {
      const std::lock_guard lock(mutex_);
      samples_ = std::move(samples);
      next_ = 0;
      started_ = false;
      draining_ = false;
      ended_ = false;
    }
    AudioStreamBasicDescription format{};
    format.mSampleRate = kSoundRate;
    format.mFormatID = kAudioFormatLinearPCM;
    format.mFormatFlags = kLinearPCMFormatFlagIsSignedInteger | kLinearPCMFormatFlagIsPacked;
    format.mBytesPerPacket = sizeof(std::int16_t);
    format.mFramesPerPacket = 1;
    format.mBytesPerFrame = sizeof(std::int16_t);
    format.mChannelsPerFrame = 1;
    format.mBitsPerChannel = 16;
    // No run loop: the callbacks come on a thread of the queue's own.
    OSStatus status =
        AudioQueueNewOutput(&format, &MacSound::refill, this, nullptr, nullptr, 0, &queue_);
    if (status != noErr) {
      queue_ = nullptr;
      return Failure{NoSoundOutputText(Because("AudioQueueNewOutput", status))};
    }
    status = AudioQueueAddPropertyListener(queue_, kAudioQueueProperty_IsRunning,
                                           &MacSound::runningChanged, this);
    for (int i = 0; i < kBuffers && status == noErr; ++i) {
      AudioQueueBufferRef buffer = nullptr;
      status = AudioQueueAllocateBuffer(queue_, kBufferSamples * sizeof(std::int16_t), &buffer);
      if (status == noErr) refill(this, queue_, buffer);
    }
    if (status == noErr) status = AudioQueueStart(queue_, nullptr);
    if (status != noErr) {
      stop();
      return Failure{NoSoundOutputText(Because("Starting the audio queue", status))};
    }
    bool allGiven = false;
    {
      const std::lock_guard lock(mutex_);
      started_ = true;
      allGiven = next_ == samples_.size() && !draining_;
      draining_ = draining_ || allGiven;
    }
    if (allGiven) AudioQueueStop(queue_, false);  // a sound within the first buffers
    return {};
  }

  void stop() override {
    if (queue_ == nullptr) return;
    AudioQueueStop(queue_, true);  // at once: no callback comes after it
    AudioQueueDispose(queue_, true);
    queue_ = nullptr;
    const std::lock_guard lock(mutex_);
    ended_ = true;
  }

  SoundProgress progress() override {
    if (queue_ == nullptr) return {};
    AudioTimeStamp time{};
    const bool timed = AudioQueueGetCurrentTime(queue_, nullptr, &time, nullptr) == noErr &&
                       (time.mFlags & kAudioTimeStampSampleTimeValid) != 0;
    const std::lock_guard lock(mutex_);
    if (ended_) return {false, samples_.size(), {}};
    const auto sounded = timed ? static_cast<std::size_t>(std::max(0.0, time.mSampleTime)) : 0;
    return {true, std::min(sounded, samples_.size()), {}};
  }

 private:
  // The queue hands back a buffer it has played: fill it with the next samples, or, once all are
  // given, let the queue play out what it holds and stop.
  static void refill(void* self, AudioQueueRef queue, AudioQueueBufferRef buffer) {
    auto& sound = *static_cast<MacSound*>(self);
    std::unique_lock lock(sound.mutex_);  // never held across a call into the queue
    const std::size_t count =
        std::min<std::size_t>(kBufferSamples, sound.samples_.size() - sound.next_);
    if (count == 0) {
      // Stopped from here at most once, and only once start() has handed the queue over.
      const bool stopNow = sound.started_ && !sound.draining_;
      sound.draining_ = sound.draining_ || stopNow;
      lock.unlock();
      if (stopNow) AudioQueueStop(queue, false);
      return;
    }
    std::memcpy(buffer->mAudioData, sound.samples_.data() + sound.next_,
                count * sizeof(std::int16_t));
    buffer->mAudioDataByteSize = static_cast<UInt32>(count * sizeof(std::int16_t));
    sound.next_ += count;
    lock.unlock();
    AudioQueueEnqueueBuffer(queue, buffer, 0, nullptr);
  }

  static void runningChanged(void* self, AudioQueueRef queue, AudioQueuePropertyID property) {
    UInt32 running = 1;
    UInt32 size = sizeof running;
    if (AudioQueueGetProperty(queue, property, &running, &size) != noErr || running != 0) return;
    auto& sound = *static_cast<MacSound*>(self);
    const std::lock_guard lock(sound.mutex_);
    sound.ended_ = true;
  }

  AudioQueueRef queue_ = nullptr;
  std::mutex mutex_;  // guards what the callbacks share with the window's thread
  std::vector<std::int16_t> samples_;
  std::size_t next_ = 0;   // the first sample not yet given to the queue
  bool started_ = false;   // the queue was started: from then on a callback may stop it
  bool draining_ = false;  // the queue was told to play out what it holds and stop
  bool ended_ = false;
};

}  // namespace

std::unique_ptr<SoundOutput> MakeMacSoundOutput() {
  return std::make_unique<MacSound>();
}

}  // namespace vexaro
