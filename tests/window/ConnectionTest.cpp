// The connection monitor, the settings read into the window and the Send button, on the
// simulated device. The ticks of the once-a-second timer are run directly.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <functional>

#include "WindowFixture.h"
#include "link/DeviceContract.h"
#include "window/SettingsPage.h"
#include "window/Widgets.h"

namespace vexaro {

class ConnectionTest : public QObject, public WindowFixture {
  Q_OBJECT

  SimulatedFirmware& firmware() { return platform_->firmware(); }

  // A window whose device holds the factory store changed at `bytes`.
  void connectTo(const std::map<std::uint8_t, std::uint8_t>& bytes, bool kalfo = false) {
    DeviceStore store = FactoryStore();
    for (const auto& [a, value] : bytes) store[a] = value;
    platform_ = std::make_unique<SimulatedPlatform>(store);
    makeWindow();
    window_->setCalibrationSwitch(kalfo);
    window_->Timer1_Timer();
  }

  QString text(const char* name) { return window_->settingsPage().Text(*FieldByControl(name)); }

  // The addresses and values of the store commands the device received.
  std::vector<std::pair<int, int>> stores() {
    std::vector<std::pair<int, int>> writes;
    for (const ReceivedCommand& r : firmware().received()) {
      if (r.command == command::kStoreByte) writes.emplace_back(r.argument1, r.argument2);
    }
    return writes;
  }

 private slots:
  void cleanup() { destroyWindow(); }

  void foundOnTheSecondTickAndFilled() {
    platform_ = std::make_unique<SimulatedPlatform>(SimulatedPlatform::Empty{});
    makeWindow();
    window_->Timer1_Timer();
    QCOMPARE(c<QLabel>("lblConStatus")->text(), QString("Device Disconnected"));
    QVERIFY(!c("cmdSend")->isEnabled());
    platform_->addInterface({"/dev/hidraw3", kVexaroVendorId, kVexaroProductId}, true);
    window_->Timer1_Timer();
    QCOMPARE(c<QLabel>("lblConStatus")->text(), QString("Device Connected"));
    QCOMPARE(c<StatusLamp>("shpStatus")->fillColor(), QColor(0, 255, 0));
    QCOMPARE(c<QLabel>("lblVersion")->text(), QString("Version 3.1"));
    for (const char* button : {"cmdBeep", "cmdSend", "cmdPlay", "cmdLoad", "cmdDefTune"}) {
      QVERIFY2(c(button)->isEnabled(), button);
    }
    QCOMPARE(text("cboFreq"), QString("2358"));
    QCOMPARE(text("cboLowV"), QString("4.60"));
    QCOMPARE(text("txtThres"), QString("70"));
    QCOMPARE(text("cboVminDly"), QString("100"));
    QCOMPARE(text("chkGreset"), QString("0"));
    QVERIFY(c("cmdVtrim")->isHidden());
    QVERIFY(dialogs_->messages.empty());
    // 29 reads of F 0 to F 28, and the timer runs again.
    QCOMPARE(firmware().received().size(), std::size_t{29});
    QVERIFY(c<QTimer>("Timer1")->isActive());
    // The next tick polls.
    window_->Timer1_Timer();
    QCOMPARE(firmware().received().back().command, command::kStatusPoll);
  }

  void noAccessIsSaidAndTheSearchGoesOn() {
    platform_ = std::make_unique<SimulatedPlatform>(SimulatedPlatform::Empty{});
    platform_->addInterface({"/dev/hidraw3", kVexaroVendorId, kVexaroProductId}, true).openError =
        OpenError::NoPermission;
    makeWindow();
    window_->Timer1_Timer();
    QCOMPARE(c<QLabel>("lblConStatus")->text(), QString("No Access to Device"));
    QVERIFY(c<QLabel>("lblConStatus")->toolTip().contains("udev rule"));
    QVERIFY(c<QTimer>("Timer1")->isActive());
  }

  // A device that is there but cannot be used, or no HID service at all, is not "not found".
  void whyNoDeviceIsUsedIsInTheStatusToolTip() {
    const std::pair<std::function<void(SimulatedPlatform&)>, QString> cases[] = {
        {[](SimulatedPlatform& p) {
           p.addInterface({"/dev/hidraw3", kVexaroVendorId, kVexaroProductId}, true)
               .descriptor.clear();
         },
         "The Vexaro at /dev/hidraw3 cannot be used: its report descriptor cannot be read."},
        {[](SimulatedPlatform& p) { p.failedService = "hid_init failed"; },
         "The HID service could not be started (hid_init failed), so no device can be found."},
    };
    for (const auto& [setUp, toolTip] : cases) {
      platform_ = std::make_unique<SimulatedPlatform>(SimulatedPlatform::Empty{});
      setUp(*platform_);
      makeWindow();
      window_->Timer1_Timer();
      QCOMPARE(c<QLabel>("lblConStatus")->text(), QString("Device Disconnected"));
      QCOMPARE(c<QLabel>("lblConStatus")->toolTip(), toolTip);
      destroyWindow();
    }
  }

  void aPollNotAnsweredWithSixOrAnUnplugEndsTheProgram() {
    for (int how = 0; how < 3; ++how) {
      connectTo({});
      QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
      if (how == 0) firmware().faults().pollReply = 5;
      if (how == 1) firmware().unplug();
      if (how == 2) firmware().faults().silentAtReport = firmware().reportsReceived() + 1;
      window_->Timer1_Timer();
      QCOMPARE(unloaded.count(), 1);
      QVERIFY(!c<QTimer>("Timer1")->isActive());
      QVERIFY(dialogs_->messages.empty());
      QCOMPARE(platform_->openHandles(), 0);
      destroyWindow();
    }
  }

  void seventyVoltDeviceGetsItsOwnList() {
    connectTo({{24, 1}, {5, 120}, {6, 0}});
    auto* lowVoltage = c<QComboBox>("cboLowV");
    QStringList items;
    for (int i = 0; i < lowVoltage->count(); ++i) items << lowVoltage->itemText(i);
    QCOMPARE(items, (QStringList{"OFF", "5.5", "6.0", "6.5", "7.0", "7.5", "8.0", "8.5", "9.0",
                                 "9.5", "10.0", "10.5", "11.0", "11.5", "12.0"}));
    QCOMPARE(lowVoltage->currentText(), QString("12.0"));
  }

  // Firmware 2.9 turns the minimum-voltage controls off for the rest of the run; a 3.0 device
  // read later fills them but leaves them off.
  void olderFirmwareThenNewerInOneRun() {
    connectTo({{2, 29}, {25, 0}});
    const char* gated[] = {"cboMcycles", "Label23", "Label45",
                           "cboVminDly", "Label43", "chkMreset"};
    for (const char* name : gated) QVERIFY2(!c(name)->isEnabled(), name);
    QCOMPARE(c<QLabel>("lblVersion")->text(), QString("Version 2.9"));
    QVERIFY(dialogs_->messages.empty());
    // Lost by a plain transfer, then found again as version 3.0.
    firmware().faults().failingRead = firmware().readsServed() + 1;
    usb_->PlainTransfer({command::kAdHigh, 0, 0});
    firmware().store()[2] = 30;
    firmware().store()[25] = 5;
    window_->Timer1_Timer();
    QCOMPARE(c<QLabel>("lblVersion")->text(), QString("Version 3.0"));
    QCOMPARE(text("cboMcycles"), QString("5"));
    for (const char* name : gated) QVERIFY2(!c(name)->isEnabled(), name);
  }

  void unshowableBytesGiveTheUploadErrorAndTheDefaults() {
    for (const auto& [address, value] :
         std::vector<std::pair<int, int>>{{3, 0}, {16, 7}, {13, 9}}) {
      connectTo({{static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(value)},
                 {9, 150},
                 {23, 125}},
                /*kalfo=*/true);
      QCOMPARE(dialogs_->messages.size(), std::size_t{1});
      QCOMPARE(dialogs_->messages[0].title, QString("Upload Error"));
      QCOMPARE(dialogs_->messages[0].text,
               QString("An error occured while reading the device data. Default values will be "
                       "shown."));
      QCOMPARE(dialogs_->messages[0].icon, Dialogs::Icon::Critical);
      QCOMPARE(text("cboFreq"), QString("2358"));
      QCOMPARE(text("txtThres"), QString("70"));
      QCOMPARE(text("cboIDpause"), QString("1.50"));
      QCOMPARE(c<QLabel>("lblConStatus")->text(), QString("Device Connected"));
      QVERIFY(c("cmdVtrim")->isHidden());  // the steps after the failure did not run
      destroyWindow();
    }
  }

  void calibrationSwitchShowsTheTrimButton() {
    connectTo({}, /*kalfo=*/true);
    QVERIFY(!c("cmdVtrim")->isHidden());
    QVERIFY(c("cmdVtrim")->isEnabled());
  }

  void sendStoresEveryFieldInTheDevicesOrder() {
    const std::vector<std::pair<int, int>> newer = {
        {9, 170}, {10, 0},   {5, 204}, {6, 1},   {3, 53},  {4, 37},  {16, 2}, {8, 3},
        {7, 100}, {12, 117}, {13, 5},  {14, 2},  {15, 3},  {25, 4},  {26, 5}, {11, 0},
        {17, 0},  {18, 52},  {19, 19}, {20, 63}, {21, 31}, {22, 31}, {23, 94}};
    for (int version : {31, 29}) {
      connectTo({{2, static_cast<std::uint8_t>(version)}});
      QTest::keyClick(window_.get(), Qt::Key_D, Qt::AltModifier);
      QTRY_COMPARE(text("cboDur"), QString("0.250"));
      QTest::keyClick(window_.get(), Qt::Key_S, Qt::AltModifier);
      std::vector<std::pair<int, int>> expected = newer;
      if (version == 29) {
        std::erase_if(expected, [](const auto& w) { return w.first == 25 || w.first == 26; });
      }
      QTRY_COMPARE(stores().size(), expected.size());
      QVERIFY(stores() == expected);
      QVERIFY(c("cmdSend")->isEnabled());  // back as it was
      QVERIFY(c<QTimer>("Timer1")->isActive());
      destroyWindow();
    }
  }

  void sendWaitsPastOtherRepliesAndLocksTheOtherTransfers() {
    connectTo({});
    firmware().faults().busyBeforeAck = 1;
    bool lockedDuringSend = false;
    QTimer probe;
    connect(&probe, &QTimer::timeout, [&] {
      if (window_->exchange().Busy()) {
        lockedDuringSend = !c("cmdSend")->isEnabled() && !c("cmdBeep")->isEnabled() &&
                           !c("cmdLoad")->isEnabled() && !c("cmdDefTune")->isEnabled();
      }
    });
    probe.start(0);
    QTest::mouseClick(c<QPushButton>("cmdSend"), Qt::LeftButton);
    QCOMPARE(stores().size(), std::size_t{23});
    QVERIFY(lockedDuringSend);
    QCOMPARE(firmware().store()[9], std::uint8_t{170});
    QVERIFY(c("cmdLoad")->isEnabled());
  }

  void textThatCannotBeStoredIsNamedAndNothingIsSent() {
    connectTo({});
    window_->settingsPage().SetText(Field::cboZeFreq, "0");  // put there without the entry check
    QTest::mouseClick(c<QPushButton>("cmdSend"), Qt::LeftButton);
    QCOMPARE(dialogs_->messages.size(), std::size_t{1});
    QCOMPARE(dialogs_->messages[0].text,
             QString("\"ZE\" Frequency holds \"0\", which cannot be stored in the device. "
                     "Nothing was sent."));
    QVERIFY(stores().empty());
    QVERIFY(c<QComboBox>("cboZeFreq")->hasFocus());
  }

  void deviceLostDuringSendKeepsTheEarlierBytesAndEndsTheProgram() {
    connectTo({});
    QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
    window_->settingsPage().SetText(Field::txtThres, "40");
    window_->settingsPage().SetText(Field::cboFreq, "2000");
    firmware().faults().unplugAfter = firmware().reportsReceived() + 4;  // 9, 10, 5, 6
    QTest::mouseClick(c<QPushButton>("cmdSend"), Qt::LeftButton);
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(dialogs_->messages.empty());
    QCOMPARE(firmware().store()[9], std::uint8_t{140});  // stored before the loss
    QCOMPARE(firmware().store()[3], std::uint8_t{53});   // never reached: still the factory's
    QCOMPARE(platform_->openHandles(), 0);
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::ConnectionTest)

#include "ConnectionTest.moc"
