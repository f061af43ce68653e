#include "window/ApplicationIdentity.h"

#include <QApplication>

namespace vexaro {

void SetApplicationIdentity(const QString& version) {
  QApplication::setApplicationName("vexaro-link");
  QApplication::setApplicationVersion(version);
  QApplication::setDesktopFileName("org.vexaro.usblink");  // the desktop entry, for Wayland
  // No display name: the platform would append it to every title the window system shows
  // ("File Error — Vexaro USB Link"), and each window's title is designed whole. The desktop
  // entry names the program.
}

}  // namespace vexaro
