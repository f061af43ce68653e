// The Windows platform against the machine's real HID and setup services (under Wine: none), and
// the UTF-16 edge of the programs.

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "link/ApiUSBRoutines.h"
#include "link/windows/WinHidPlatform.h"
#include "link/windows/WinNotices.h"
#include "link/windows/WinText.h"
#include "support/InterfaceBroadcast.h"

namespace vexaro {
namespace {

TEST(WinHidPlatform, EnumeratesWhateverThisMachineHasAndRefusesOtherPaths) {
  const auto platform = MakeWinHidPlatform();
  const auto interfaces = platform->enumerate();  // none under Wine
  EXPECT_EQ(platform->serviceFailure(), "");        // the setup service answered
  std::set<std::string> paths;
  for (const HidInterfaceInfo& info : interfaces) {
    EXPECT_FALSE(info.path.empty());
    paths.insert(info.path);
  }
  EXPECT_EQ(paths.size(), interfaces.size());
  const OpenResult missing = platform->open(R"(\\?\hid#vid_04d8&pid_47a1#0#{none})");
  EXPECT_EQ(missing.device, nullptr);
  EXPECT_EQ(missing.error, OpenError::Failed);
}

TEST(WinText, CommandLinesAndNamesBecomeUtf8) {
  // "Für Elise ♪.txt" in UTF-16 and in UTF-8.
  const wchar_t* const wide = L"F\u00fcr Elise \u266a.txt";
  const std::string utf8 = "F\xc3\xbcr Elise \xe2\x99\xaa.txt";
  EXPECT_EQ(Utf8FromWide(wide), utf8);
  EXPECT_EQ(WideFromUtf8(utf8), wide);
  EXPECT_EQ(Utf8FromWide(L"\xd800"), "\xef\xbf\xbd");  // a lone surrogate

  const std::wstring line = std::wstring(LR"(C:\Programs\vexaro.exe parse ")") + wide +
                            LR"(" --simulate=C:\a\b.txt "" x\"y)";
  const std::vector<std::string> expected = {"parse", utf8, R"(--simulate=C:\a\b.txt)", "", "x\"y"};
  EXPECT_EQ(Utf8Arguments(line.c_str()), expected);

  // Where CommandLineToArgvW and today's C runtime part: two quotes inside quotes end the quoting.
  // clang-format off
  const std::pair<const wchar_t*, std::vector<std::string>> lines[] = {
      {LR"(vexaro.exe "a""b c")", {"a\"b", "c"}},   // the C runtime: a"b c
      {LR"(vexaro.exe a\\"b c" d)", {"a\\b c", "d"}},
      {LR"("C:\Program Files\vexaro.exe" list)", {"list"}},
  };
  // clang-format on
  for (const auto& [commandLine, arguments] : lines) {
    EXPECT_EQ(Utf8Arguments(commandLine), arguments) << Utf8FromWide(commandLine);
  }
}

TEST(WinHidPlatform, DevicePathsCompareWithoutCase) {
  EXPECT_TRUE(SameDevicePath(R"(\\?\hid#vid_04d8&pid_47a1#7&1)", R"(\\?\HID#VID_04D8&PID_47A1#7&1)"));
  EXPECT_FALSE(SameDevicePath(R"(\\?\hid#vid_04d8&pid_47a1#7&1)", R"(\\?\hid#vid_04d8&pid_47a1#7&2)"));
}

// The tool has no window: its notices come to a message-only window of their own, which wait()
// serves. Windows sends them from its own thread.
TEST(WinNotices, TheToolsOwnWindowTakesThem) {
  const std::unique_ptr<WinNotices> notices = MakeWinNotices();
  ASSERT_EQ(notices->start(), "");
  const HWND own = FindWindowExW(HWND_MESSAGE, nullptr, L"VexaroDeviceNotices", nullptr);
  ASSERT_NE(own, nullptr);
  std::vector<char> record = OurInterfaceBroadcast();
  std::thread windows([&] {
    SendMessageW(own, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(record.data()));
  });
  const std::vector<DeviceNotice> taken = notices->wait(std::chrono::seconds(30));
  windows.join();
  ASSERT_EQ(taken.size(), 1U);
  EXPECT_TRUE(taken[0].arrived);
  EXPECT_EQ(taken[0].productId, kVexaroProductId);
  notices->stop();
  EXPECT_FALSE(notices->registered());
}

}  // namespace
}  // namespace vexaro
