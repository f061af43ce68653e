#pragma once
// The window program's start once its command line is read: the platform made from the options,
// as main makes it, and the window on it. Apart from main so that tests run the same steps.

#include <functional>
#include <ostream>

#include "app/PlatformChoice.h"

class QWidget;

namespace vexaro {

class Dialogs;

// Makes the platform that `options` ask for and runs RunWindowProgram on it (or on the sentence
// saying why there is none); returns its exit status.
int StartWindowProgram(const PlatformOptions& options, bool calibrationSwitch, Dialogs& dialogs,
                       std::ostream& err, const std::function<void(QWidget*)>& windowShown = {});

}  // namespace vexaro
