// The device failing at every place a transfer can fail: lost (no reply, or gone), a failed read,
// or other replies before an acknowledgement; for the settings read, Send on both firmware
// generations, the melody upload and the trim store. Each row checks what was stored, what the
// window shows, whether the program ends, that nothing is left open and nothing written twice.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <functional>
#include <set>

#include "WindowFixture.h"
#include "link/DeviceContract.h"
#include "support/SettingsSamples.h"
#include "window/SettingsPage.h"

namespace vexaro {

namespace {

enum class Fault { Gone, Silent, FailedRead };
constexpr Fault kFaults[] = {Fault::Gone, Fault::Silent, Fault::FailedRead};

const char* Name(Fault f) {
  return f == Fault::Gone ? "gone" : f == Fault::Silent ? "silent" : "failed read";
}

// Makes the device fail at report number `report` (counted from 1 over its life): gone before
// it arrives, or lost on the way (never acted on, never answered), or its reply's read failing
// (acted on, but the host never learns it).
void Inject(SimulatedFirmware& firmware, Fault fault, std::size_t report) {
  SimulatedFaults& faults = firmware.faults();
  switch (fault) {
    case Fault::Gone:
      faults.unplugAfter = report - 1;
      break;
    case Fault::Silent:
      faults.silentAtReport = report;
      break;
    case Fault::FailedRead:
      // Every report here is read once, so report N's reply is read N.
      faults.failingRead = report;
      break;
  }
}

}  // namespace

class FaultMatrixTest : public QObject, public WindowFixture {
  Q_OBJECT

  SimulatedFirmware& firmware() { return platform_->firmware(); }

  void start(const DeviceStore& store, bool kalfo = false) {
    platform_ = std::make_unique<SimulatedPlatform>(store);
    makeWindow();
    window_->setCalibrationSwitch(kalfo);
  }

  // The store commands received, checking that no address was written twice.
  std::size_t storesWrittenOnce() {
    std::set<int> addresses;
    std::size_t count = 0;
    for (const ReceivedCommand& r : firmware().received()) {
      if (r.command != command::kStoreByte) continue;
      ++count;
      if (!addresses.insert(r.argument1).second) return std::size_t(-1);
    }
    return count;
  }

  // An action that the device fails in the middle of: the program ends, without a message,
  // with every handle closed.
  void expectEnded(const QSignalSpy& unloaded, const QString& row) {
    QVERIFY2(unloaded.count() == 1, qPrintable(row + ": the program did not end"));
    QVERIFY2(dialogs_->messages.empty(), qPrintable(row + ": a message was shown"));
    QVERIFY2(platform_->openHandles() == 0, qPrintable(row + ": a handle was left open"));
  }

 private slots:
  void cleanup() { destroyWindow(); }

  // Lost at any of the 29 reads: the read stops there, one "Upload Error", the defaults, the
  // program goes on and the next tick finds nothing (nothing left open). The bytes of a 70 V
  // device read before are gone from every address the read did not reach, so the defaults are
  // those of the 7 V range.
  void settingsReadFailingAtEveryAddress() {
    const DeviceStore factory = FactoryStore();
    for (Fault fault : kFaults) {
      for (std::size_t address = 0; address < kSettingsAddressCount; ++address) {
        const QString row = QString("%1 at read %2").arg(Name(fault)).arg(address);
        start(factory);
        settings_.fill(0xA5);
        settings_[24] = 1;
        Inject(firmware(), fault, address + 1);
        QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
        window_->Timer1_Timer();
        QVERIFY2(dialogs_->messages.size() == 1, qPrintable(row));
        QCOMPARE(dialogs_->messages[0].title, QString("Upload Error"));
        for (std::size_t a = 0; a < kSettingsAddressCount; ++a) {
          QVERIFY2(settings_[a] == (a < address ? factory[a] : 0),
                   qPrintable(row + QString(": address %1").arg(a)));
        }
        QCOMPARE(window_->settingsPage().Text(Field::cboLowV), QString("4.60"));
        QCOMPARE(window_->settingsPage().Text(Field::cboFreq), QString("2358"));
        QVERIFY2(firmware().received().size() <= address + 1, qPrintable(row + ": read on"));
        QVERIFY2(!link_->DeviceDetected, qPrintable(row));
        QCOMPARE(unloaded.count(), 0);
        firmware().unplug();
        window_->Timer1_Timer();
        QVERIFY2(platform_->openHandles() == 0, qPrintable(row + ": a handle was left open"));
        QCOMPARE(c<QLabel>("lblConStatus")->text(), QString("Device Disconnected"));
        destroyWindow();
      }
    }
  }

  // Failing at any write of Send: the writes before it are stored (and the failing one too when
  // only its reply's read failed), the rest never sent; the program ends.
  void sendFailingAtEveryWrite() {
    for (std::uint8_t version : {31, 29}) {
      for (Fault fault : kFaults) {
        DeviceStore factory = FactoryStore();
        factory[2] = version;
        const std::size_t writes = version >= 30 ? 23 : 21;
        for (std::size_t k = 0; k < writes; ++k) {
          const QString row = QString("v%1 %2 at write %3").arg(version).arg(Name(fault)).arg(k);
          start(factory);
          window_->Timer1_Timer();
          for (const auto& [field, text] : kNonFactoryTexts)
            window_->settingsPage().SetText(field, text);
          DeviceSettings settings{};
          std::copy_n(factory.begin(), settings.size(), settings.begin());
          const EncodedSettings encoded = EncodeSettings(window_->settingsPage().Texts(), settings);
          QCOMPARE(encoded.writes.size(), writes);
          Inject(firmware(), fault, firmware().reportsReceived() + k + 1);
          QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
          QTest::mouseClick(c<QPushButton>("cmdSend"), Qt::LeftButton);
          expectEnded(unloaded, row);
          const std::size_t stored = fault == Fault::FailedRead ? k + 1 : k;
          for (std::size_t i = 0; i < writes; ++i) {
            const ByteWrite& w = encoded.writes[i];
            const std::uint8_t expected = i < stored ? w.value : factory[w.address];
            QVERIFY2(firmware().store()[w.address] == expected,
                     qPrintable(row + QString(": address %1").arg(w.address)));
          }
          QVERIFY2(storesWrittenOnce() == stored, qPrintable(row));
          destroyWindow();
        }
      }
    }
  }

  void uploadFailingAtEveryWrite() {
    DeviceStore store = FactoryStore();
    std::fill(store.begin() + kMelodyAddress, store.end(), 0xEE);
    const DeviceStore factory = FactoryStore();
    for (Fault fault : kFaults) {
      for (std::size_t k = 0; k < kMelodySize; ++k) {
        const QString row = QString("%1 at byte %2").arg(Name(fault)).arg(k);
        start(store);
        window_->Timer1_Timer();
        Inject(firmware(), fault, firmware().reportsReceived() + k + 1);
        QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
        BringPageToFront(window_->controls(), c("cmdDefTune"));
        QTest::mouseClick(c<QPushButton>("cmdDefTune"), Qt::LeftButton);
        expectEnded(unloaded, row);
        const std::size_t stored = fault == Fault::FailedRead ? k + 1 : k;
        for (std::size_t i = 0; i < kMelodySize; ++i) {
          const std::uint8_t expected = i < stored ? factory[kMelodyAddress + i] : 0xEE;
          QVERIFY2(firmware().store()[kMelodyAddress + i] == expected, qPrintable(row));
        }
        QVERIFY2(storesWrittenOnce() == stored, qPrintable(row));
        destroyWindow();
      }
    }
  }

  void trimStoreFailing() {
    for (Fault fault : kFaults) {
      const QString row = Name(fault);
      DeviceStore store = FactoryStore();
      store[kTrimAddress] = 133;
      start(store, /*kalfo=*/true);
      window_->Timer1_Timer();
      Inject(firmware(), fault, firmware().reportsReceived() + 2);  // after the F 27
      QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
      BringPageToFront(window_->controls(), c("cmdVtrim"));
      QTest::mouseClick(c<QPushButton>("cmdVtrim"), Qt::LeftButton);
      expectEnded(unloaded, row);
      QCOMPARE(firmware().store()[kTrimAddress], std::uint8_t{133});  // the same value either way
      QVERIFY2(storesWrittenOnce() == (fault == Fault::FailedRead ? 1u : 0u), qPrintable(row));
      destroyWindow();
    }
  }

  // Other replies before each acknowledgement are read past: everything is stored once.
  void otherRepliesBeforeEveryAcknowledgement() {
    DeviceStore store = FactoryStore();
    store[kTrimAddress] = 3;
    start(store, /*kalfo=*/true);
    window_->Timer1_Timer();
    firmware().faults().busyBeforeAck = 2;
    for (const auto& [field, text] : kNonFactoryTexts) window_->settingsPage().SetText(field, text);
    QTest::mouseClick(c<QPushButton>("cmdSend"), Qt::LeftButton);
    QCOMPARE(storesWrittenOnce(), std::size_t{23});
    QCOMPARE(firmware().store()[3], std::uint8_t{80});
    BringPageToFront(window_->controls(), c("cmdDefTune"));
    QTest::mouseClick(c<QPushButton>("cmdDefTune"), Qt::LeftButton);
    BringPageToFront(window_->controls(), c("cmdVtrim"));
    QTest::mouseClick(c<QPushButton>("cmdVtrim"), Qt::LeftButton);
    std::size_t stores = 0;
    for (const ReceivedCommand& r : firmware().received()) {
      stores += r.command == command::kStoreByte;
    }
    QCOMPARE(stores, std::size_t{23 + 100 + 1});
    QCOMPARE(firmware().store()[kTrimAddress], std::uint8_t{3});
    QVERIFY(link_->DeviceDetected);
    QVERIFY(dialogs_->messages.empty());
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::FaultMatrixTest)

#include "FaultMatrixTest.moc"
