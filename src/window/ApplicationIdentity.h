#pragma once
// What the window program tells the desktop about itself.

#include <QString>

namespace vexaro {

// The program's name, version and desktop entry, set once the application object exists.
void SetApplicationIdentity(const QString& version);

}  // namespace vexaro
