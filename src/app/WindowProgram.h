#pragma once
// The window program once Qt and its command line are set up: the platform, the window and its
// event loop, and the simulated device's memory kept in its file. Apart from main so that tests
// run it with their own dialogs.

#include <QWidget>
#include <functional>
#include <ostream>

#include "app/PlatformChoice.h"
#include "window/Dialogs.h"

namespace vexaro {

// Shows the window on the platform that `options` choose and runs it until it is unloaded.
// Returns the program's exit status: 2 when the simulated device's file cannot be read or could
// not be written back (nothing is sent), 3 when writing it back at the end failed, otherwise the
// event loop's. Each of those failures is one "File Error" message box and one line on `err`.
// `windowShown` is told the window while it is there and nullptr after, as the parent of dialogs.
int RunWindowProgram(const PlatformOptions& options, bool calibrationSwitch, Dialogs& dialogs,
                     std::ostream& err, const std::function<void(QWidget*)>& windowShown = {});

}  // namespace vexaro
