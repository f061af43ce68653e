// Writes one PNG of the main window per page into the folder given as the first argument, with
// the window connected to the simulated device. Run by scripts/screenshot.

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <iostream>

#include "simulator/SimulatedDevice.h"
#include "window/frmMain.h"

namespace {

// Nothing here should ask for a dialog; one that is asked for is said on standard error.
class NoDialogs final : public vexaro::Dialogs {
 public:
  void showMessage(const QString& title, const QString& text, Icon) override {
    std::cerr << "window_screenshots: message \"" << title.toStdString()
              << "\": " << text.toStdString() << '\n';
  }
  std::optional<QString> openFile(const QString&, const QString&) override { return {}; }
  std::optional<QString> saveFile(const QString&, const QString&) override { return {}; }
  void showHelp(const QString&, int) override {}
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc < 2) {
    std::cerr << "usage: window_screenshots FOLDER\n";
    return 2;
  }
  const QDir folder(argv[1]);
  vexaro::SimulatedPlatform platform;
  vexaro::TrafficTrace trace;
  vexaro::LinkState link;
  vexaro::ApiUSBRoutines usb(platform, link, trace);
  vexaro::DeviceSettings deviceSettings{};
  NoDialogs dialogs;
  const std::unique_ptr<vexaro::SoundOutput> sound = vexaro::MakeNoSoundOutput("none is needed.");
  vexaro::frmMain window(usb, link, deviceSettings, dialogs, *sound);
  window.setCalibrationSwitch(true);
  window.show();
  window.Timer1_Timer();  // finds the device and reads its settings
  QApplication::processEvents();

  const char* names[] = {"settings", "melody", "advanced"};
  for (int i = 0; i < 3; ++i) {
    window.controls().TabStrip1->setCurrentIndex(i);
    QApplication::processEvents();
    window.grab().save(folder.filePath(QString("window-%1.png").arg(names[i])));
  }
  window.controls().cmdVtrim->click();
  QApplication::processEvents();
  window.grab().save(folder.filePath("window-calibration.png"));
  window.close();
  return 0;
}
