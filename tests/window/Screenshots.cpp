// Writes one PNG of the main window per page into the folder given as the first argument, with
// the window connected to the simulated device. Run by scripts/screenshot.

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <iostream>

#include "FakeDialogs.h"
#include "link/SimulatedDevice.h"
#include "window/frmMain.h"

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
  vexaro::FakeDialogs dialogs;
  vexaro::frmMain window(usb, link, deviceSettings, dialogs);
  window.setCalibrationSwitch(true);
  window.show();
  window.Timer1_Timer();  // finds the device and reads its settings
  QApplication::processEvents();

  const char* names[] = {"settings", "melody", "advanced"};
  auto* tabs = window.controls().TabStrip1;
  for (int i = 0; i < 3; ++i) {
    tabs->setCurrentIndex(i);
    QApplication::processEvents();
    window.grab().save(folder.filePath(QString("window-%1.png").arg(names[i])));
  }
  window.controls().cmdVtrim->click();
  QApplication::processEvents();
  window.grab().save(folder.filePath("window-calibration.png"));
  window.close();
  return 0;
}
