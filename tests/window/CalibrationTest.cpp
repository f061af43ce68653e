// The voltage calibration page on the simulated device, whose A/D value follows the trim.

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

#include "WindowFixture.h"
#include "link/DeviceContract.h"

namespace vexaro {

class CalibrationTest : public QObject, public WindowFixture {
  Q_OBJECT

  SimulatedFirmware& firmware() { return platform_->firmware(); }

  // A connected window started with "kalfo", whose device holds `trimByte`.
  void connect(std::uint8_t trimByte) {
    DeviceStore store = FactoryStore();
    store[kTrimAddress] = trimByte;
    platform_ = std::make_unique<SimulatedPlatform>(store);
    makeWindow();
    window_->setCalibrationSwitch(true);
    window_->Timer1_Timer();
    QVERIFY(c("cmdVtrim")->isVisible() || !c("cmdVtrim")->isHidden());
  }

  void openPage() {
    BringPageToFront(window_->controls(), c("cmdVtrim"));
    QTest::mouseClick(c<QPushButton>("cmdVtrim"), Qt::LeftButton);
    QVERIFY(c("fraVtrim")->isVisible());
  }

  // The commands after the settings read.
  std::vector<ReceivedCommand> commands() {
    const auto& all = firmware().received();
    return {all.begin() + 29, all.end()};
  }

  QString label(const QString& name) { return c<QLabel>(qPrintable(name))->text(); }

 private slots:
  void cleanup() { destroyWindow(); }

  void pageOpensWithTheStoredTrimAndTheEstimates() {
    connect(133);  // -5
    openPage();
    QCOMPARE(c<QComboBox>("cboVtrim")->currentText(), QString("-5"));
    using R = ReceivedCommand;
    QVERIFY(commands() == (std::vector<R>{{command::kReadByte, 27, 0},
                                          {command::kStoreByte, 27, 133},
                                          {command::kAdHigh, 0, 0},
                                          {command::kAdLow, 0, 0}}));
    // 700 x 251 / 256 = 686.3; +1: 686 x 257 / 256 = 688.7; -7: 686 x 249 / 256 = 667.2
    QCOMPARE(label("lblADvalue"), QString("A/D Value: 686"));
    QCOMPARE(label("lblP1(0)"), QString("+1: 689"));
    QCOMPARE(label("lblM1(6)"), QString("-7: 667"));
  }

  void choosingATrimStoresItAndTheEstimatesFollow() {
    connect(0);
    openPage();
    QCOMPARE(label("lblADvalue"), QString("A/D Value: 700"));
    auto* list = c<QComboBox>("cboVtrim");
    list->setFocus();
    for (int i = 0; i < 3; ++i) QTest::keyClick(list, Qt::Key_Up);  // 0 -> -3
    QCOMPARE(list->currentText(), QString("-3"));
    QCOMPARE(firmware().store()[kTrimAddress], std::uint8_t{131});
    QCOMPARE(label("lblADvalue"), QString("A/D Value: 692"));
    QCOMPARE(label("lblP1(0)"), QString("+1: 695"));
  }

  void aTrimByteOutsideTheListIsShownNotOverwritten() {
    connect(20);
    openPage();
    QCOMPARE(c<QComboBox>("cboVtrim")->currentIndex(), -1);
    QVERIFY(c<QComboBox>("cboVtrim")->toolTip().contains("trim byte 20 (0x14)"));
    for (const ReceivedCommand& r : commands()) QVERIFY(r.command != command::kStoreByte);
    QCOMPARE(firmware().store()[kTrimAddress], std::uint8_t{20});
    QVERIFY(label("lblADvalue").startsWith("A/D Value: "));
  }

  void aLostDeviceShowsZerosAndIsSearchedAgain() {
    connect(0);
    openPage();
    QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
    firmware().unplug();
    QTest::mouseClick(c<QPushButton>("cmdReadAD"), Qt::LeftButton);
    QCOMPARE(label("lblADvalue"), QString("A/D Value: 0"));
    QCOMPARE(label("lblP1(6)"), QString("+7: 0"));
    QCOMPARE(label("lblM1(0)"), QString("-1: 0"));
    QVERIFY(!link_->DeviceDetected);
    window_->Timer1_Timer();  // the monitor searches: nothing
    QCOMPARE(c<QLabel>("lblConStatus")->text(), QString("Device Disconnected"));
    for (const char* name : {"cmdVtrim", "cmdReadAD", "cboVtrim"})
      QVERIFY2(!c(name)->isEnabled(), name);
    firmware().plugIn();
    window_->Timer1_Timer();  // and finds the device again
    QVERIFY(link_->DeviceDetected);
    for (const char* name : {"cmdVtrim", "cmdReadAD", "cboVtrim"})
      QVERIFY2(c(name)->isEnabled(), name);
    QCOMPARE(unloaded.count(), 0);
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::CalibrationTest)

#include "CalibrationTest.moc"
