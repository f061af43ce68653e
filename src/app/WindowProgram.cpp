#include "app/WindowProgram.h"

#include <QApplication>

#include "link/ApiUSBRoutines.h"
#include "window/frmMain.h"

namespace vexaro {

namespace {

constexpr const char* kFileErrorTitle = "File Error";

}  // namespace

int RunWindowProgram(const PlatformOptions& options, bool calibrationSwitch, Dialogs& dialogs,
                     std::ostream& err, const std::function<void(QWidget*)>& windowShown) {
  const Result<std::unique_ptr<PlatformChoice>> made = PlatformChoice::make(options, err);
  if (!made) {
    err << "vexaro-link: " << made.why() << '\n';
    dialogs.showMessage(kFileErrorTitle,
                        QString::fromStdString(made.why()) + " Nothing was sent; the program ends.",
                        Dialogs::Icon::Warning);
    return 2;
  }
  PlatformChoice* const choice = made->get();

  int status = 0;
  {
    LinkState link;
    ApiUSBRoutines usb(choice->platform(), link, choice->trace());
    DeviceSettings DeviceSettings{};
    frmMain window(usb, link, DeviceSettings, dialogs);
    if (windowShown) windowShown(&window);
    window.setCalibrationSwitch(calibrationSwitch);
    QObject::connect(&window, &frmMain::unloaded, qApp, &QApplication::quit, Qt::QueuedConnection);
    window.show();
    status = QApplication::exec();
    usb.CloseDeviceHandles();
    if (windowShown) windowShown(nullptr);
  }

  if (const Result<void> saved = choice->saveSimulatedStore(); !saved) {
    std::string saveError = saved.why();
    saveError.pop_back();  // its full stop
    saveError += ", so what the simulated device stored in this run is lost.";
    err << "vexaro-link: " << saveError << '\n';
    dialogs.showMessage(kFileErrorTitle, QString::fromStdString(saveError), Dialogs::Icon::Warning);
    return 3;
  }
  return status;
}

}  // namespace vexaro
