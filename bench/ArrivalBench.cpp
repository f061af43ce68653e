// bench_arrival: how soon the window reaches for a plugged device. Two figures, each against its
// goal:
// - from a device notice to the settings shown, on the simulated device with a stand-in notice
//   source: the host's part, measured, plus the 58 ms the USB needs for the settings read;
// - from udev's "add" event to the window's search starting, on a umockdev testbed (so only under
//   umockdev-wrapper, as `make bench` runs it). The time starts as the testbed is asked to add
//   the device, so it also counts umockdev's own work.
// Runs on Qt's offscreen platform.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <chrono>
#include <functional>
#include <iostream>
#include <memory>

#include "FloorTable.h"
#include "link/DeviceContract.h"
#include "link/hidapi/HidapiPlatform.h"
#include "link/udev/UdevNotices.h"
#include "simulator/SimulatedDevice.h"
#include "simulator/StandInNotices.h"
#include "support/CountingPlatform.h"
#include "support/Testbed.h"
#include "window/Dialogs.h"
#include "window/frmMain.h"

namespace vexaro::bench {
namespace {

using Clock = std::chrono::steady_clock;

// The settings read: 29 commands of two reports each.
constexpr double kSettingsReadFloorMs = 29 * 2 * kMillisecondsPerReport;
constexpr double kNoticeToSettingsGoalMs = 150;
constexpr double kAddToSearchGoalMs = 20;

// A window on `platform`, told of arrivals by `notices`, its tick an hour away.
struct Window {
  Window(HidPlatform& platform, DeviceNotices& notices)
      : usb(platform, link, trace), window(usb, link, settings, dialogs, *sound) {
    window.show();
    window.findChild<QTimer*>("Timer1")->start(std::chrono::hours(1));
    window.watchArrivals(notices, trace);
  }
  bool connected() const {
    return window.findChild<QLabel*>("lblConStatus")->text() == "Device Connected";
  }
  // Handles the window's events until `done`.
  static void until(const std::function<bool()>& done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }

  LinkState link;
  TrafficTrace trace;
  ApiUSBRoutines usb;
  DeviceSettings settings{};
  QtDialogs dialogs;
  std::unique_ptr<SoundOutput> sound = MakeNoSoundOutput("none is needed.");
  frmMain window;
};

void NoticeToSettingsShown(benchmark::State& state) {
  const DeviceNotice ours{true, kVexaroVendorId, kVexaroProductId};
  for (auto _ : state) {
    SimulatedPlatform platform;
    StandInNotices notices;
    Window window(platform, notices);
    const Clock::time_point sent = Clock::now();
    notices.send(ours);
    Window::until([&] { return window.connected(); });
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - sent).count());
  }
}

void AddEventToSearch(benchmark::State& state) {
  if (!Testbed::active()) {
    state.SkipWithError("needs umockdev-wrapper (make bench runs it under one)");
    return;
  }
  for (auto _ : state) {
    // A testbed of its own each time: one cannot take the same device again.
    Testbed testbed;
    const std::unique_ptr<HidPlatform> hidapi = MakeHidapiPlatform();
    CountingPlatform counting(*hidapi, false);  // the testbed's node answers no report
    const std::unique_ptr<DeviceNotices> notices = MakeUdevNotices();
    Window window(counting, *notices);
    const Clock::time_point added = Clock::now();
    testbed.plugIn();
    Window::until([&] { return counting.searches > 0; });
    state.SetIterationTime(std::chrono::duration<double>(counting.searched - added).count());
  }
}

// The mean of a benchmark's runs, in milliseconds; negative when it did not run.
double MeanMs(const FloorReporter& reporter, const char* name) {
  const auto found = reporter.secondsPerOperation().find(name);
  if (found == reporter.secondsPerOperation().end() || found->second.empty()) return -1;
  double sum = 0;
  for (const double seconds : found->second) sum += seconds;
  return sum * 1000 / static_cast<double>(found->second.size());
}

}  // namespace
}  // namespace vexaro::bench

int main(int argc, char** argv) {
  using namespace vexaro::bench;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::RegisterBenchmark("Arrival/NoticeToSettingsShown", NoticeToSettingsShown)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("Arrival/AddEventToSearch", AddEventToSearch)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(20);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  FloorReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::cout.flush();
  const double host = MeanMs(reporter, "Arrival/NoticeToSettingsShown");
  const double search = MeanMs(reporter, "Arrival/AddEventToSearch");
  std::printf("\nA plugged device (" VEXARO_BENCH_BUILD " build):\n");
  if (host >= 0) {
    std::printf("  notice to settings shown: host %.2f ms + USB %.0f ms = %.1f ms, goal %.0f ms: %s\n",
                host, kSettingsReadFloorMs, host + kSettingsReadFloorMs, kNoticeToSettingsGoalMs,
                host + kSettingsReadFloorMs < kNoticeToSettingsGoalMs ? "met" : "MISSED");
  }
  if (search >= 0) {
    std::printf("  udev add event to search start: %.2f ms, goal %.0f ms: %s\n", search,
                kAddToSearchGoalMs, search < kAddToSearchGoalMs ? "met" : "MISSED");
  } else {
    std::printf("  udev add event to search start: not measured (run under umockdev-wrapper)\n");
  }
  return host < 0 ? 1 : 0;  // the numbers are for reading
}
