#pragma once
// The command-line tool `vexaro`: the device's memory from a terminal, without a window.
//
// Exit status: 0 done, 1 no device (or no permission to open it, or another program kept it),
// 2 bad input (nothing stored), 3 device lost, not answering, or holding data that cannot be
// shown (or the simulated device's memory could not be saved), 4 an error this program did not
// expect (a fault to report), 5 the output could not be written whole (a full disk, a closed
// pipe; only commands that store nothing print).

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "link/DeviceLock.h"
#include "link/DeviceNotices.h"
#include "link/HidPlatform.h"

namespace vexaro {

enum ExitStatus : int {
  kExitDone = 0,
  kExitNoDevice = 1,
  kExitBadInput = 2,
  kExitDeviceLost = 3,
  kExitInternalError = 4,
  kExitOutputLost = 5,
};

// Runs one command line (without the program name). `platform`, when given, stands in for the
// platform that --simulate or the real HID service would give. A device that another program
// holds is waited for up to `lockWait`, then the command ends with exit status 1. `notices`, when
// given, stands in for the system's device notices (`wait`). `out` is
// flushed at the end; when it could not be written, a command that went well ends with
// kExitOutputLost (saying why when `out` writes through a CheckedOutput). `errIsTerminal`: `err`
// goes to a terminal, where `restore` and `load` show their progress (not with --trace).
int RunVexaroCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 HidPlatform* platform = nullptr,
                 std::chrono::milliseconds lockWait = kDeviceLockWait,
                 DeviceNotices* notices = nullptr, bool errIsTerminal = false);

// The sentence for an exception that no command caught (`what` as the exception tells it).
std::string UnexpectedError(const std::string& what);

}  // namespace vexaro
