#include "window/WindowProgram.h"

#include <QApplication>
#include <QDialog>

#include "link/ApiUSBRoutines.h"
#include "window/frmMain.h"

namespace vexaro {

namespace {

constexpr const char* kFileErrorTitle = "File Error";

}  // namespace

int RunWindowProgram(const Result<WindowPlatform>& platform, bool calibrationSwitch,
                     Dialogs& dialogs, std::ostream& err,
                     const std::function<void(QWidget*)>& windowShown) {
  if (!platform) {
    err << "vexaro-link: " << platform.why() << '\n';
    dialogs.showMessage(
        kFileErrorTitle,
        QString::fromStdString(platform.why()) + " Nothing was sent; the program ends.",
        Dialogs::Icon::Warning);
    return 2;
  }

  int status = 0;
  {
    LinkState link;
    ApiUSBRoutines usb(platform->platform, link, platform->trace);
    DeviceSettings DeviceSettings{};
    frmMain window(usb, link, DeviceSettings, dialogs, platform->sound);
    if (windowShown) windowShown(&window);
    window.setCalibrationSwitch(calibrationSwitch);
    if (platform->notices != nullptr) window.watchArrivals(*platform->notices, platform->trace);
    window.keepFromBackups(platform->simulatedFile);
    QObject::connect(&window, &frmMain::unloaded, qApp, &QApplication::quit, Qt::QueuedConnection);
    window.show();
    status = QApplication::exec();
    usb.CloseDeviceHandles();
    if (windowShown) windowShown(nullptr);
  }

  if (!platform->saveSimulatedStore) return status;
  if (const Result<void> saved = platform->saveSimulatedStore(); !saved) {
    std::string saveError = saved.why();
    saveError.pop_back();  // its full stop
    saveError += ", so what the simulated device stored in this run is lost.";
    err << "vexaro-link: " << saveError << '\n';
    dialogs.showMessage(kFileErrorTitle, QString::fromStdString(saveError), Dialogs::Icon::Warning);
    return 3;
  }
  return status;
}

void EndWindowProgram() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* dialog = qobject_cast<QDialog*>(widget);
    if (dialog != nullptr && dialog->isVisible() && dialog->isModal()) dialog->reject();
  }
  QApplication::quit();
}

void RequestEndWindowProgram() {
  QMetaObject::invokeMethod(qApp, &EndWindowProgram, Qt::QueuedConnection);
}

}  // namespace vexaro
