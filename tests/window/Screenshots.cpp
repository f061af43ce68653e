// Writes one PNG of the main window per page into the folder given as the first argument, with
// the window connected to the simulated device. Run by scripts/screenshot.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <iostream>

#include "FakeDialogs.h"
#include "link/SimulatedDevice.h"
#include "settings/SettingsRecord.h"
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
  usb.FindDevice();
  vexaro::FakeDialogs dialogs;
  vexaro::DeviceSettings deviceSettings{};
  vexaro::frmMain window(usb, link, deviceSettings, dialogs);
  // Fill the controls as a read of the factory settings does.
  vexaro::DeviceSettings settings{};
  std::copy_n(platform.firmware().store().begin(), settings.size(), settings.begin());
  for (const vexaro::FieldText& shown : vexaro::ShowSettings(settings).texts) {
    const QString name = vexaro::Info(shown.field).control;
    const QString text = QString::fromStdString(shown.text);
    if (auto* combo = window.control<QComboBox>(name)) {
      combo->setCurrentIndex(combo->findText(text));
      if (combo->isEditable()) combo->setEditText(text);
    } else if (auto* edit = window.control<QLineEdit>(name)) {
      edit->setText(text);
    }
  }
  window.control<QLabel>("lblVersion")
      ->setText("Version " + QString::fromStdString(vexaro::ShowSettings(settings).version));
  window.show();
  QApplication::processEvents();

  const char* names[] = {"settings", "melody", "advanced"};
  auto* tabs = window.control<QTabWidget>("TabStrip1");
  for (int i = 0; i < 3; ++i) {
    tabs->setCurrentIndex(i);
    QApplication::processEvents();
    window.grab().save(folder.filePath(QString("window-%1.png").arg(names[i])));
  }
  window.control("fraVtrim")->setVisible(true);
  window.control("fraVtrim")->raise();
  window.control("cmdVtrim")->setVisible(true);
  QApplication::processEvents();
  window.grab().save(folder.filePath("window-calibration.png"));
  usb.CloseDeviceHandles();
  return 0;
}
