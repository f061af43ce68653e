#include "app/CliWait.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <thread>

#include "app/CliSession.h"
#include "app/VexaroCli.h"
#include "link/ApiUSBRoutines.h"

namespace vexaro {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kPollWithNotices{1000};
constexpr std::chrono::milliseconds kPollWithoutNotices{250};

// The path of a Vexaro plugged in (the one at `devicePath` when given); empty when there is none.
std::string FindPresent(HidPlatform& platform, const std::string& devicePath) {
  for (const HidInterfaceInfo& info : platform.enumerate()) {
    if (IsVexaro(info) && (devicePath.empty() || SameDevicePath(info.path, devicePath))) {
      return info.path;
    }
  }
  return {};
}

}  // namespace

std::optional<std::chrono::milliseconds> ParseWaitSeconds(const std::string& text) {
  double seconds = 0;
  const char* last = text.data() + text.size();
  const auto [end, ec] = std::from_chars(text.data(), last, seconds);
  if (ec != std::errc() || end != last || !(seconds >= 0 && seconds <= 1e9)) return std::nullopt;
  return std::chrono::milliseconds(std::llround(seconds * 1000));
}

int WaitCommand(HidPlatform& platform, DeviceNotices& notices, const WaitRequest& request,
                std::ostream& out, std::ostream& err) {
  const Clock::time_point deadline =
      request.limit ? Clock::now() + *request.limit : Clock::time_point::max();
  const bool noticed = notices.start().empty();
  const auto poll = noticed ? kPollWithNotices : kPollWithoutNotices;
  for (Clock::time_point searched = Clock::time_point::min();;) {
    if (searched != Clock::time_point::min()) {
      std::this_thread::sleep_until(std::min(searched + kNoticeSearchSpacing, deadline));
    }
    searched = Clock::now();
    const std::string path = FindPresent(platform, request.devicePath);
    if (!request.gone && !path.empty()) {
      out << path << '\n';
      return kExitDone;
    }
    if (request.gone && path.empty()) return kExitDone;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) {
      return Fail(err, kExitNoDevice,
                  request.gone ? "a Vexaro was still plugged in after " + request.limitText + " s."
                               : "no Vexaro was plugged in within " + request.limitText + " s.");
    }
    const Clock::time_point next = deadline - now < poll ? deadline : now + poll;
    if (!noticed) {
      std::this_thread::sleep_until(next);
      continue;
    }
    // Notices of other devices are passed by: only one that may concern ours ends the wait early.
    for (bool concerned = false; !concerned && Clock::now() < next;) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
      const std::vector<DeviceNotice> received = notices.wait(left);
      concerned = std::any_of(received.begin(), received.end(),
                              [&](const DeviceNotice& n) { return n.arrived != request.gone && MayBeVexaro(n); });
    }
  }
}

}  // namespace vexaro
