// The window on the simulated device: the connection monitor, the settings read, Send, the
// melody buttons and the voltage calibration page. The timer's ticks are mostly run directly.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <fstream>
#include <functional>

#include "WindowFixture.h"
#include "window/SettingsPage.h"
#include "window/Widgets.h"

namespace vexaro {

namespace {

// The simulated device behind a platform whose reads throw when told to, as a platform's call
// may; the throw waits until the window handles its events, so that it comes while the window
// waits for it.
class ThrowingPlatform final : public HidPlatform {
 public:
  bool atRead = false;
  std::atomic<bool> released{false};

  explicit ThrowingPlatform(std::unique_ptr<SimulatedPlatform>& platform) : platform_(platform) {}
  std::vector<HidInterfaceInfo> enumerate() override { return platform_->enumerate(); }
  OpenResult open(const std::string& path) override {
    OpenResult opened = platform_->open(path);
    if (opened.device) opened.device = std::make_unique<Device>(std::move(opened.device), *this);
    return opened;
  }

 private:
  void throwIfTold() {
    if (!atRead) return;
    released.wait(false);
    throw std::runtime_error("the HID service went away");
  }
  class Device final : public HidDevice {
   public:
    Device(std::unique_ptr<HidDevice> device, ThrowingPlatform& p)
        : device_(std::move(device)), p_(p) {}
    std::optional<ReportLengths> reportLengths() override { return device_->reportLengths(); }
    bool write(std::span<const std::uint8_t> report) override { return device_->write(report); }
    ReadOutcome read(std::span<std::uint8_t> report, std::chrono::milliseconds limit) override {
      p_.throwIfTold();
      return device_->read(report, limit);
    }
    void cancel() override { device_->cancel(); }
    std::size_t dropWaitingReports(std::size_t reportLength, std::size_t limit) override {
      return device_->dropWaitingReports(reportLength, limit);
    }

   private:
    std::unique_ptr<HidDevice> device_;
    ThrowingPlatform& p_;
  };
  std::unique_ptr<SimulatedPlatform>& platform_;
};

}  // namespace

class DeviceTest : public QObject, public WindowFixture {
  Q_OBJECT

  QString text(Field field) { return window_->settingsPage().text(field); }
  QTimer* timer() { return named<QTimer>("Timer1"); }

  std::vector<std::uint8_t> melody() {
    return {firmware().store().begin() + kMelodyAddress, firmware().store().end()};
  }

  void load(const QString& name, bool raise = false) {
    ui().txtTuneFile->setText(name);
    ui().chkOctave->setChecked(raise);
    click(ui().cmdLoad);
  }

  std::unique_ptr<QTemporaryDir> folder_;  // each test's own, removed after it
  QString tempFile(const char* name, const std::string& contents) {
    const QString path = folder_->filePath(name);
    std::ofstream(path.toStdString(), std::ios::binary) << contents;
    return path;
  }

  // A window started with "kalfo" whose device holds `trimByte`, with the page opened.
  void openPage(std::uint8_t trimByte) {
    connectTo(FactoryStore(), {{kTrimAddress, trimByte}}, /*kalfo=*/true);
    click(ui().cmdVtrim);
    QVERIFY(ui().fraVtrim->isVisible());
  }

  // The commands the device received after the settings read, polls left out.
  std::vector<ReceivedCommand> afterRead() {
    const auto& all = firmware().received();
    std::vector<ReceivedCommand> sent;
    std::copy_if(all.begin() + 29, all.end(), std::back_inserter(sent),
                 [](const ReceivedCommand& r) { return r.command != command::kStatusPoll; });
    return sent;
  }
  std::string letters() {
    std::string sent;
    for (const ReceivedCommand& r : afterRead()) sent += static_cast<char>(r.command);
    return sent;
  }

  // A connected window whose device's melody bytes are all 0xEE.
  void connectBlankMelody() {
    DeviceStore store = FactoryStore();
    std::fill(store.begin() + kMelodyAddress, store.end(), 0xEE);
    connectTo(store);
  }

 private slots:
  void init() { folder_ = std::make_unique<QTemporaryDir>(); }
  void cleanup() {
    destroyWindow();
    folder_.reset();
  }

  // While no device can be used the status line says why and the search goes on; the moment
  // one is found, its settings are read into the window, and every later tick polls it.
  void theMonitorSearchesThenReadsThenPolls() {
    platform_ = std::make_unique<SimulatedPlatform>(SimulatedPlatform::Empty{});
    makeWindow();
    const auto add = [&](const char* path) -> SimulatedPlatform::Interface& {
      return platform_->addInterface({path, kVexaroVendorId, kVexaroProductId}, true);
    };
    const std::tuple<std::function<void()>, QString, QString> cases[] = {
        {[] {}, "Device Disconnected", ""},
        {[&] { platform_->failedService = "hid_init failed"; }, "Device Disconnected",
         "The HID service could not be started (hid_init failed), so no device can be found."},
        {[&] {
           platform_->failedService.clear();
           add("/dev/hidraw2").descriptor.clear();
         },
         "Device Disconnected",
         "The Vexaro at /dev/hidraw2 cannot be used: its report descriptor cannot be read."},
        {[&] { add("/dev/hidraw3").openError = OpenError::InUse; }, "No Access to Device",
         "Another program holds /dev/hidraw3 open."},
        {[&] { platform_->interfaces().back().openError = OpenError::NoPermission; },
         "No Access to Device",
#if defined(Q_OS_LINUX)
         "udev rule"},
#elif defined(Q_OS_WIN)
         "Windows does not let this program open /dev/hidraw3"},
#else
         "Another program holds /dev/hidraw3 open."},
#endif
    };
    for (const auto& [setUp, status, toolTip] : cases) {
      setUp();
      window_->Timer1_Timer();
      QCOMPARE(ui().lblConStatus->text(), status);
      QVERIFY2(ui().lblConStatus->toolTip().contains(toolTip), qPrintable(toolTip));
      QVERIFY(toolTip.isEmpty() == ui().lblConStatus->toolTip().isEmpty());
      QVERIFY(!ui().cmdSend->isEnabled());
      QVERIFY(timer()->isActive());
    }
    // Found by the timer's own tick.
    platform_->interfaces().back().openError.reset();
    QTRY_COMPARE_WITH_TIMEOUT(ui().lblConStatus->text(), QString("Device Connected"), 3000);
    QCOMPARE(ui().lblConStatus->toolTip(), QString("/dev/hidraw3"));
    QCOMPARE(ui().shpStatus->fillColor(), QColor(0, 255, 0));
    for (const char* button : {"cmdBeep", "cmdSend", "cmdPlay", "cmdLoad", "cmdDefTune"})
      QVERIFY2(named(button)->isEnabled(), button);
    QCOMPARE(text(Field::cboFreq), QString("2358"));
    QCOMPARE(text(Field::chkGreset), QString("0"));
    QVERIFY(ui().cmdVtrim->isHidden());
    QVERIFY(dialogs_->messages.empty());
    QCOMPARE(firmware().received().size(), std::size_t{29});  // F 0 to F 28
    QVERIFY(timer()->isActive());
    window_->Timer1_Timer();
    QCOMPARE(firmware().received().back().command, command::kStatusPoll);
  }

  // A lost or unplugged device answers the poll with 0, as the link's tests show.
  void aPollNotAnsweredWithSixEndsTheProgram() {
    connectTo(FactoryStore());
    QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
    firmware().faults().pollReply = 5;
    window_->Timer1_Timer();
    QCOMPARE(unloaded.count(), 1);
    QVERIFY(!timer()->isActive());
    QVERIFY(dialogs_->messages.empty());
    QCOMPARE(platform_->openHandles(), 0);
  }

  // A transfer that waits for the device (300 ms a reply here) leaves the window handling its
  // events: a tick meanwhile polls nothing, a transfer started meanwhile is refused with nothing
  // sent, the transfer controls are locked, and a close ends the program with the handles closed
  // once the transfer is over.
  void aWaitingTransferKeepsTheWindowResponsive() {
    for (const bool closeInside : {false, true}) {
      connectTo(FactoryStore());
      QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
      firmware().setLatency(std::chrono::milliseconds(300));
      bool waiting = true;
      bool handledInside = false;
      bool lockedInside = false;
      bool refusedInside = false;
      // Handled first when the window handles its events: the reply takes longer than kQuietWait.
      QTimer::singleShot(0, window_.get(), [&] {
        handledInside = waiting;
        lockedInside = std::none_of(ui().transfer.begin(), ui().transfer.end(),
                                    [](QWidget* control) { return control->isEnabled(); });
        window_->Timer1_Timer();
        try {
          usb_->plainTransfer({command::kReadByte, 3});
        } catch (const TransferRefused&) {
          refusedInside = true;
        }
        if (closeInside) window_->close();
      });
      const std::size_t before = firmware().reportsReceived();
      window_->Timer1_Timer();
      waiting = false;
      QVERIFY(handledInside);
      QVERIFY(lockedInside);
      QVERIFY(refusedInside);
      QCOMPARE(firmware().reportsReceived(), before + 1);
      QCOMPARE(unloaded.count(), closeInside ? 1 : 0);
      QCOMPARE(platform_->openHandles(), closeInside ? 0 : 2);
      QCOMPARE(ui().cmdSend->isEnabled(), true);
      destroyWindow();
    }
  }

  // What a read throws while the window waits for it reaches the poll that made it; the window
  // is as before, and the next poll goes to the device.
  void aTransferThatThrowsReachesItsCaller() {
    ThrowingPlatform throwing(platform_);
    through_ = &throwing;
    connectTo(FactoryStore());
    throwing.atRead = true;
    QTimer::singleShot(0, window_.get(), [&] {
      throwing.released = true;
      throwing.released.notify_all();
    });
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, window_->Timer1_Timer());
    throwing.atRead = false;
    QVERIFY(ui().cmdSend->isEnabled());
    const std::size_t before = firmware().reportsReceived();
    window_->Timer1_Timer();
    QCOMPARE(firmware().reportsReceived(), before + 1);
    QVERIFY(link_->DeviceDetected);
    destroyWindow();
    through_ = nullptr;
  }

  void seventyVoltDeviceGetsItsOwnList() {
    connectTo(FactoryStore(), {{24, 1}, {5, 120}, {6, 0}});
    QCOMPARE(ui().cboLowV->count(), 15);
    QCOMPARE(ui().cboLowV->itemText(1), QString("5.5"));  // 4.55 in the 7 V list
    QCOMPARE(ui().cboLowV->currentText(), QString("12.0"));
  }

  // Firmware 2.9 turns the minimum-voltage controls off for the rest of the run; a 3.0 device
  // read later fills them but leaves them off.
  void olderFirmwareThenNewerInOneRun() {
    connectTo(FactoryStore(), {{2, 29}, {25, 0}});
    const char* gated[] = {"cboMcycles", "Label23", "Label45",
                           "cboVminDly", "Label43", "chkMreset"};
    for (const char* name : gated) QVERIFY2(!named(name)->isEnabled(), name);
    QCOMPARE(ui().lblVersion->text(), QString("Version 2.9"));
    QVERIFY(dialogs_->messages.empty());
    // Lost by a plain transfer, then found again as version 3.0.
    firmware().faults().failingRead = firmware().readsServed() + 1;
    usb_->plainTransfer({command::kAdHigh, 0, 0});
    firmware().store()[2] = 30;
    firmware().store()[25] = 5;
    window_->Timer1_Timer();
    QCOMPARE(ui().lblVersion->text(), QString("Version 3.0"));
    QCOMPARE(text(Field::cboMcycles), QString("5"));
    for (const char* name : gated) QVERIFY2(!named(name)->isEnabled(), name);
  }

  void unshowableBytesGiveTheUploadErrorAndTheDefaults() {
    for (const auto& [address, value] : {std::pair{3, 0}, {16, 7}, {13, 9}}) {
      connectTo(FactoryStore(), {{std::uint8_t(address), std::uint8_t(value)}, {9, 150}},
                /*kalfo=*/true);
      dialogs_->expectLast(
          1, "Upload Error",
          "An error occured while reading the device data. Default values will be shown.",
          Dialogs::Icon::Critical);
      QCOMPARE(text(Field::txtThres), QString("70"));  // byte 9, read before the failure
      QCOMPARE(ui().lblConStatus->text(), QString("Device Connected"));
      QVERIFY(ui().cmdVtrim->isHidden());  // the steps after the failure did not run
      destroyWindow();
    }
  }

  void textThatCannotBeStoredIsNamedAndNothingIsSent() {
    connectTo(FactoryStore());
    window_->settingsPage().setText(Field::cboZeFreq, "0");  // put there without the entry check
    QTest::mouseClick(ui().cmdSend, Qt::LeftButton);
    QCOMPARE(dialogs_->messages.size(), std::size_t{1});
    QCOMPARE(dialogs_->messages[0].text,
             QString("\"ZE\" Frequency holds \"0\", which cannot be stored in the device. "
                     "Nothing was sent."));
    QVERIFY(stores().empty());
    QVERIFY(ui().cboZeFreq->hasFocus());
  }

  void loadStoresTheFileAndDefaultTheFactoryTune() {
    connectBlankMelody();
    // Raised by an octave, a C6 is stored as a C7: 60, and 125 for a quarter at 63 bpm.
    load(tempFile("c6.txt", "x:d=4,o=5,b=63:c6"), true);
    std::vector<std::uint8_t> expected(100, 0);
    expected[0] = 60, expected[1] = 125;
    QVERIFY(melody() == expected);
    QVERIFY(ui().cmdPlay->hasFocus());

    // "default" exactly is the factory tune, never raised.
    load("default", true);
    const DeviceStore factory = FactoryStore();
    QVERIFY(std::equal(factory.begin() + kMelodyAddress, factory.end(), melody().begin()));
    QVERIFY(dialogs_->messages.empty());

    // The Default button stores it too, and puts the file name and the raise back.
    ui().txtTuneFile->setText("mine.txt");
    ui().chkOctave->setChecked(true);
    click(ui().cmdDefTune);
    QCOMPARE(ui().txtTuneFile->text(), QString("default"));
    QVERIFY(!ui().chkOctave->isChecked());
    QCOMPARE(melody()[0], std::uint8_t{50});
    QCOMPARE(afterRead().size(), std::size_t{3 * 100});
  }

  void aFileThatCannotBeLoadedSendsNothing() {
    connectBlankMelody();
    for (const QString& name : {QString("Default"), tempFile("bad.txt", "x:d=4,o=5,b=0:c")}) {
      const std::size_t before = firmware().received().size();
      dialogs_->messages.clear();
      load(name);
      QCOMPARE(firmware().received().size(), before);
      dialogs_->expectLast(1, "File Error", "File \"" + name + "\" Not Found!",
                           Dialogs::Icon::Warning);
      QVERIFY(ui().cmdBrowse->hasFocus());
      QVERIFY(ui().cmdPlay->isEnabled());
      QCOMPARE(melody()[0], std::uint8_t{0xEE});
    }
    load(tempFile("good.txt", "x:d=4,o=5,b=63:c6"));  // a later good load works
    QCOMPARE(melody()[0], std::uint8_t{119});
  }

  // Play runs to the melody's end, then stops. A stop clicked while it plays sends S at once,
  // and the play's own end sends S again; meanwhile only Stop and Test Beep are on.
  void playRunsToItsEndOrIsStopped() {
    connectBlankMelody();
    click(ui().cmdPlay);
    QCOMPARE(letters(), std::string("PS"));
    bool stopShown = false;
    QTimer::singleShot(0, this, [&] {
      stopShown = ui().cmdPlay->text() == "&Stop";
      for (QWidget* off : std::initializer_list<QWidget*>{ui().cmdLoad, ui().cmdSend,
                                                          ui().cmdDefTune, ui().cmdBrowse}) {
        QVERIFY2(!off->isEnabled(), qPrintable(off->objectName()));
      }
      QVERIFY(ui().cmdBeep->isEnabled());
      QTest::mouseClick(ui().cmdPlay, Qt::LeftButton);
    });
    QTest::mouseClick(ui().cmdPlay, Qt::LeftButton);
    QVERIFY(stopShown);
    QCOMPARE(letters(), std::string("PSPSS"));
    QVERIFY(!firmware().playing());
    QCOMPARE(ui().cmdPlay->text(), QString("&Play"));
    for (const char* name : {"cmdPlay", "cmdSend", "cmdLoad", "cmdDefTune", "cmdBrowse"}) {
      QVERIFY2(named(name)->isEnabled(), name);
    }
  }

  void beepSendsTheCodesOfTheTwoBoxes() {
    connectBlankMelody();
    SettingsPage& settings = window_->settingsPage();
    settings.setText(Field::cboFreq, "1568 (G6)");
    settings.setText(Field::cboDur, "0.125 (1/8)");
    click(ui().cmdBeep);
    QVERIFY(firmware().received().back() == (ReceivedCommand{command::kBeep, 80, 12}));

    // A text that reached the box without its check cannot make a beep: nothing is sent.
    settings.setText(Field::cboFreq, "400");
    const std::size_t before = firmware().received().size();
    click(ui().cmdBeep);
    QCOMPARE(firmware().received().size(), before);
    QCOMPARE(dialogs_->messages.back().title, QString("Beep Error"));
  }

  void browsePutsTheChosenFileInTheNameBox() {
    connectBlankMelody();
    dialogs_->fileAnswers = {std::nullopt, QString("/home/me/tune.rtttl")};
    click(ui().cmdBrowse);
    QCOMPARE(ui().txtTuneFile->text(), QString("default"));  // cancelled
    click(ui().cmdBrowse);
    QCOMPARE(ui().txtTuneFile->text(), QString("/home/me/tune.rtttl"));
    QVERIFY(ui().cmdLoad->hasFocus());
    QCOMPARE(dialogs_->fileRequests.size(), std::size_t{2});
    QCOMPARE(dialogs_->fileRequests[0].first, QString("Open Melody File"));
    QCOMPARE(dialogs_->fileRequests[0].second,
             QString("RTTTL RingTone Files (*.txt; *.rtttl)|*.txt;*.rtttl| All Files (*.*)|*.*"));
    QCOMPARE(  // as the Qt file dialog takes it
        QtFileFilter(dialogs_->fileRequests[0].second),
        QString("RTTTL RingTone Files (*.txt; *.rtttl) (*.txt *.rtttl);; All Files (*.*) (*)"));
  }

  // The page opens with the stored trim, stored back, and the estimates; a trim chosen in the
  // list is stored and the estimates follow.
  void pageOpensWithTheStoredTrimAndAChosenOneIsStored() {
    openPage(133);  // -5
    QCOMPARE(ui().cboVtrim->currentText(), QString("-5"));
    using R = ReceivedCommand;
    QVERIFY(afterRead() == (std::vector<R>{{command::kReadByte, 27, 0},
                                           {command::kStoreByte, 27, 133},
                                           {command::kAdHigh, 0, 0},
                                           {command::kAdLow, 0, 0}}));
    // 700 x 251 / 256 = 686.3; +1: 686 x 257 / 256 = 688.7; -7: 686 x 249 / 256 = 667.2
    QCOMPARE(ui().lblADvalue->text(), QString("A/D Value: 686"));
    QCOMPARE(ui().lblP1[0]->text(), QString("+1: 689"));
    QCOMPARE(ui().lblM1[6]->text(), QString("-7: 667"));
    ui().cboVtrim->setFocus();
    for (int i = 0; i < 2; ++i) QTest::keyClick(ui().cboVtrim, Qt::Key_Down);  // -5 -> -3
    QCOMPARE(ui().cboVtrim->currentText(), QString("-3"));
    QCOMPARE(firmware().store()[kTrimAddress], std::uint8_t{131});
    QCOMPARE(ui().lblADvalue->text(), QString("A/D Value: 692"));
    QCOMPARE(ui().lblP1[0]->text(), QString("+1: 695"));
  }

  void aTrimByteOutsideTheListIsShownNotOverwritten() {
    openPage(20);
    QCOMPARE(ui().cboVtrim->currentIndex(), -1);
    QVERIFY(ui().cboVtrim->toolTip().contains("trim byte 20 (0x14)"));
    for (const ReceivedCommand& r : afterRead()) QVERIFY(r.command != command::kStoreByte);
    QCOMPARE(firmware().store()[kTrimAddress], std::uint8_t{20});
    QVERIFY(ui().lblADvalue->text().startsWith("A/D Value: "));
  }

  void aLostDeviceShowsZerosAndIsSearchedAgain() {
    openPage(0);
    QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
    firmware().unplug();
    QTest::mouseClick(ui().cmdReadAD, Qt::LeftButton);
    QCOMPARE(ui().lblADvalue->text(), QString("A/D Value: 0"));
    QCOMPARE(ui().lblP1[6]->text(), QString("+7: 0"));
    QCOMPARE(ui().lblM1[0]->text(), QString("-1: 0"));
    QVERIFY(!link_->DeviceDetected);
    const char* trimControls[] = {"cmdVtrim", "cmdReadAD", "cboVtrim"};
    window_->Timer1_Timer();  // the monitor searches: nothing
    for (const char* name : trimControls) QVERIFY2(!named(name)->isEnabled(), name);
    firmware().plugIn();
    window_->Timer1_Timer();  // and finds the device again
    QVERIFY(link_->DeviceDetected);
    for (const char* name : trimControls) QVERIFY2(named(name)->isEnabled(), name);
    QCOMPARE(unloaded.count(), 0);
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::DeviceTest)

#include "DeviceTest.moc"
