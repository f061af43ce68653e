// The window under Qt's offscreen platform, on the simulated device.

#include <QFontInfo>
#include <QLabel>
#include <QTimer>
#include <QtTest>

#include "link/ApiUSBRoutines.h"
#include "link/SimulatedDevice.h"
#include "window/frmMain.h"

namespace vexaro {

class frmMainTest : public QObject {
  Q_OBJECT

 private slots:
  void showsTheConnectionAsTheSearchFindsIt_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("status");
    QTest::newRow("device present") << 0 << "Device Connected";
    QTest::newRow("no device") << 1 << "Device Disconnected";
    QTest::newRow("no permission") << 2 << "No Access to Device";
  }

  void showsTheConnectionAsTheSearchFindsIt() {
    QFETCH(int, kind);
    QFETCH(QString, status);
    SimulatedPlatform platform(SimulatedPlatform::Empty{});
    if (kind != 1) {
      auto& device = platform.addInterface({"/dev/hidraw1", 0x04D8, 0x47A1}, true);
      if (kind == 2) device.openError = OpenError::NoPermission;
    }
    TrafficTrace trace;
    LinkState link;
    ApiUSBRoutines usb(platform, link, trace);
    frmMain window(usb, link);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    auto* label = window.findChild<QLabel*>("lblConStatus");
    QVERIFY(label != nullptr);
    QCOMPARE(label->text(), QString("Device Disconnected"));
    QVERIFY(!QFontInfo(label->font()).family().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(label->text(), status, 3000);
    usb.CloseDeviceHandles();
  }
};

}  // namespace vexaro

namespace {
QtMessageHandler previousHandler = nullptr;
// The offscreen platform warns about every window feature it lacks; those lines are noise.
void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.startsWith("This plugin does not support")) return;
  previousHandler(type, context, message);
}
}  // namespace

int main(int argc, char** argv) {
  previousHandler = qInstallMessageHandler(QuietOffscreen);
  QApplication application(argc, argv);
  vexaro::frmMainTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "frmMainTest.moc"
