#pragma once
// `vexaro wait`: until a Vexaro is plugged in, or with --gone until none is left.

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "link/DeviceNotices.h"
#include "link/HidPlatform.h"

namespace vexaro {

struct WaitRequest {
  bool gone = false;
  std::string devicePath;                          // empty: any Vexaro
  std::optional<std::chrono::milliseconds> limit;  // none: no time limit
  std::string limitText;                           // as the user gave it, for the message
};

// The time limit of --timeout (seconds, 0 or more, fractions allowed); std::nullopt when `text`
// is not one.
std::optional<std::chrono::milliseconds> ParseWaitSeconds(const std::string& text);

// Looks for the device at once, then again on each notice that may concern it, and at least every
// second (every 250 ms when the notices did not start). Only enumerates: nothing is opened.
// Prints the path found, or ends with kExitNoDevice when the time runs out.
int WaitCommand(HidPlatform& platform, DeviceNotices& notices, const WaitRequest& request,
                std::ostream& out, std::ostream& err);

}  // namespace vexaro
