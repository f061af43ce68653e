#pragma once
// The window program once Qt and its command line are set up: the window and its event loop on
// the platform main chose, and the simulated device's memory kept in its file. Apart from main so
// that tests run it with their own dialogs.

#include <QWidget>
#include <functional>
#include <ostream>
#include <string>

#include "common/Result.h"
#include "link/DeviceNotices.h"
#include "link/HidPlatform.h"
#include "link/TrafficTrace.h"
#include "sound/SoundOutput.h"
#include "window/Dialogs.h"

namespace vexaro {

// What the window program needs of the platform its main chose; all of it outlives the run.
struct WindowPlatform {
  HidPlatform& platform;
  TrafficTrace& trace;
  SoundOutput& sound;  // the computer's speakers, for Listen
  // Whether every store of the simulated device reached its memory file, when there is one (each
  // exchange writes it back); called after every device handle is closed.
  std::function<Result<void>()> saveSimulatedStore;
  // The system's device notices, not started yet; none: the window only polls.
  DeviceNotices* notices = nullptr;
  // The simulated device's memory file, when there is one: never a backup's target.
  std::string simulatedFile;
};

// Shows the window on `platform` and runs it until it is unloaded. Returns the program's exit
// status: 2 when the platform could not be made (its sentence says why, e.g. the simulated
// device's file cannot be read or could not be written back; nothing is sent), 3 when a store of
// the run could not be written to the simulated memory file, otherwise the event loop's. Each of those failures
// is one "File Error" message box and one line on `err`. `windowShown` is told the window while
// it is there and nullptr after, as the parent of dialogs.
int RunWindowProgram(const Result<WindowPlatform>& platform, bool calibrationSwitch,
                     Dialogs& dialogs, std::ostream& err,
                     const std::function<void(QWidget*)>& windowShown = {});

// Ends the program as closing its window does (a termination signal calls it). Open modal boxes
// are closed first: each runs an event loop of its own, and before the window's loop has started
// (the start-up "File Error" box) quitting alone would leave that box, and the program, running.
void EndWindowProgram();

// Has the window's thread run EndWindowProgram; called from any thread (a console's control
// handler runs on one of its own). It runs in whichever event loop runs there: the window's, or
// that of a box open before it.
void RequestEndWindowProgram();

}  // namespace vexaro
