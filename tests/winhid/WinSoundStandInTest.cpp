// The Windows sound output against a stand-in winmm.dll (standin_winmm.cpp), loaded in place of
// Wine's for this test: the WAVE file PlaySound is given and how long it is kept, the flags, the
// position from the time since the start, and the sentences of a failed start.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, which it needs.
#include <mmsystem.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "StandInWinmm.h"
#include "sound/windows/WinSound.h"

namespace vexaro {
namespace {

using standin::WinmmRecord;

WinmmRecord& Record() {
  const HMODULE module = GetModuleHandleA("winmm.dll");
  const auto get = module == nullptr ? nullptr
                                     : reinterpret_cast<WinmmRecord* (*)()>(reinterpret_cast<void*>(
                                           GetProcAddress(module, "StandInWinmm")));
  if (get == nullptr) {
    std::fprintf(stderr, "winmm.dll is Wine's, not the stand-in beside the test\n");
    std::abort();
  }
  return *get();
}

TEST(WinSound, PlaysAWaveFileItKeepsUntilItStops) {
  WinmmRecord& winmm = Record();
  winmm = {};
  {
    const std::unique_ptr<SoundOutput> output = MakeWinSoundOutput();
    ASSERT_TRUE(output->start({0x1234, -2}));
    // RIFF size 36 + 4, PCM mono at 44100 (0xac44) samples and 88200 (0x015888) bytes a second,
    // 2 bytes a sample of 16 bits, then 4 bytes of data, little-endian.
    // clang-format off
    const std::vector<unsigned char> file = {
        'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E',
        'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 1, 0, 0x44, 0xac, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0,
        'd', 'a', 't', 'a', 4, 0, 0, 0, 0x34, 0x12, 0xfe, 0xff};
    // clang-format on
    EXPECT_EQ(std::vector<unsigned char>(winmm.heard, winmm.heard + winmm.heardBytes), file);
    EXPECT_EQ(winmm.flags, static_cast<unsigned long>(SND_MEMORY | SND_ASYNC | SND_NODEFAULT));

    // A sound of 500 ms sounds, by the clock, for 500 ms; another start stops it first.
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(output->start(std::vector<std::int16_t>(22050, 1000)));
    EXPECT_EQ(winmm.stops, 1);
    while (output->progress().playing) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(500));
    EXPECT_EQ(output->progress().sample, 22050u);

    // Each sound differs, so that one put where the sound before was is seen.
    ASSERT_TRUE(output->start(std::vector<std::int16_t>(441000, 2000)));  // 10 s
    EXPECT_TRUE(output->progress().playing);
    output->stop();
    EXPECT_EQ(winmm.stops, 3);
    EXPECT_FALSE(output->progress().playing);
    ASSERT_TRUE(output->start(std::vector<std::int16_t>(441000, 3000)));
  }  // and the output goes while it plays
  EXPECT_EQ(winmm.stops, 4);
  EXPECT_EQ(winmm.plays, 4);
  EXPECT_EQ(winmm.lost, 0);
}

TEST(WinSound, AStartThatFailsIsOneSentence) {
  const struct {
    unsigned devices;
    unsigned long refusal;
    const char* sentence;
  } cases[] = {
      {0, 0, "No sound output: Windows has no sound device."},
      {1, ERROR_NOT_ENOUGH_MEMORY, "No sound output: Windows did not play the sound (error 8)."},
  };
  for (const auto& c : cases) {
    WinmmRecord& winmm = Record();
    winmm = {};
    winmm.devices = c.devices;
    winmm.refusal = c.refusal;
    const std::unique_ptr<SoundOutput> output = MakeWinSoundOutput();
    const Result<void> started = output->start({1, 2, 3});
    ASSERT_FALSE(started);
    EXPECT_EQ(started.why(), c.sentence);
    EXPECT_FALSE(output->progress().playing);
    EXPECT_EQ(winmm.plays, 0);
  }
}

}  // namespace
}  // namespace vexaro
