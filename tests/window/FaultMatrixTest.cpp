// The device failing in a transfer: lost (no reply, or gone) or a failed read; in the settings
// read, Send on both firmware generations, the melody upload and the trim store. Each row checks
// what was stored, what the window shows, whether the program ends, that nothing is left open and
// nothing written twice.

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <functional>
#include <set>

#include "WindowFixture.h"
#include "support/SettingsSamples.h"
#include "window/SettingsPage.h"
#include "window/Widgets.h"

namespace vexaro {

namespace {

enum class Fault { Gone, Silent, FailedRead };
constexpr Fault kFaults[] = {Fault::Gone, Fault::Silent, Fault::FailedRead};

const char* Name(Fault f) {
  return f == Fault::Gone ? "gone" : f == Fault::Silent ? "silent" : "failed read";
}

// Makes the device fail at report number `report` (from 1): gone before it, lost on the way, or
// acted on with its reply's read failing (report N's reply is read N).
void Inject(SimulatedFirmware& firmware, Fault fault, std::size_t report) {
  SimulatedFaults& faults = firmware.faults();
  if (fault == Fault::Gone) faults.unplugAfter = report - 1;
  if (fault == Fault::Silent) faults.silentAtReport = report;
  if (fault == Fault::FailedRead) faults.failingRead = report;
}

}  // namespace

class FaultMatrixTest : public QObject, public WindowFixture {
  Q_OBJECT

  // The store commands received, checking that no address was written twice.
  std::size_t storesWrittenOnce() {
    std::set<int> addresses;
    for (const auto& [address, value] : stores()) {
      if (!addresses.insert(address).second) return std::size_t(-1);
    }
    return addresses.size();
  }

  // An action the device fails in: the program ends, with no message and no handle open.
  void expectEnded(const QSignalSpy& unloaded, const QString& row) {
    QVERIFY2(unloaded.count() == 1, qPrintable(row + ": the program did not end"));
    QVERIFY2(dialogs_->messages.empty(), qPrintable(row + ": a message was shown"));
    QVERIFY2(platform_->openHandles() == 0, qPrintable(row + ": a handle was left open"));
  }

  // Clicks `button` on a device holding `store`, failing in each way at the middle one of the
  // `writes` it makes (after `reportsFirst` other reports).
  void failingAtAWrite(const QString& what, const DeviceStore& store,
                       QPushButton* WindowControls::*button, const std::vector<ByteWrite>& writes,
                       const std::function<void()>& edit = {}, std::size_t reportsFirst = 0) {
    const std::size_t k = writes.size() / 2;
    for (Fault fault : kFaults) {
      const QString row = QString("%1, %2 at write %3").arg(what, Name(fault)).arg(k);
      connectTo(store, {}, /*kalfo=*/true);
      if (edit) edit();
      Inject(firmware(), fault, firmware().reportsReceived() + reportsFirst + k + 1);
      QSignalSpy unloaded(window_.get(), &frmMain::unloaded);
      click(ui().*button);
      expectEnded(unloaded, row);
      const std::size_t stored = fault == Fault::FailedRead ? k + 1 : k;
      for (std::size_t i = 0; i < writes.size(); ++i) {
        const ByteWrite& w = writes[i];
        QVERIFY2(firmware().store()[w.address] == (i < stored ? w.value : store[w.address]),
                 qPrintable(row + QString(": address %1").arg(w.address)));
      }
      QVERIFY2(storesWrittenOnce() == stored, qPrintable(row));
      destroyWindow();
    }
  }

 private slots:
  void cleanup() { destroyWindow(); }

  // Lost at a read: the read stops there, one "Upload Error", the defaults, the
  // program goes on and the next tick finds nothing (nothing left open). The bytes of a 70 V
  // device read before are gone from every address the read did not reach, so the defaults are
  // those of the 7 V range.
  void settingsReadFailingAtAnAddress() {
    const DeviceStore factory = FactoryStore();
    for (Fault fault : kFaults) {
      for (const std::size_t address : {std::size_t{0}, std::size_t{17}}) {
        const QString row = QString("%1 at read %2").arg(Name(fault)).arg(address);
        startWith(factory);
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
        QCOMPARE(window_->settingsPage().text(Field::cboLowV), QString("4.60"));
        QCOMPARE(window_->settingsPage().text(Field::cboFreq), QString("2358"));
        QVERIFY2(firmware().received().size() <= address + 1, qPrintable(row + ": read on"));
        QVERIFY2(!link_->DeviceDetected, qPrintable(row));
        QCOMPARE(unloaded.count(), 0);
        firmware().unplug();
        window_->Timer1_Timer();
        QVERIFY2(platform_->openHandles() == 0, qPrintable(row + ": a handle was left open"));
        QCOMPARE(ui().lblConStatus->text(), QString("Device Disconnected"));
        destroyWindow();
      }
    }
  }

  // Failing at a write of Send (on both firmware generations), of the melody upload, or of the
  // trim store: the writes before it are stored (and the failing one too when only its
  // reply's read failed), the rest never sent; the program ends.
  void sendFailingAtAWrite() {
    SettingsTexts texts;
    for (const auto& [field, text] : kNonFactoryTexts) TextOf(texts, field) = text;
    for (std::uint8_t version : {31, 29}) {
      DeviceStore store = FactoryStore();
      store[2] = version;
      DeviceSettings settings{};
      std::copy_n(store.begin(), settings.size(), settings.begin());
      const std::vector<ByteWrite> writes = EncodeSettings(texts, settings).writes;
      QCOMPARE(writes.size(), std::size_t{version >= 30 ? 23u : 21u});
      failingAtAWrite(QString("v%1 Send").arg(version), store, &WindowControls::cmdSend, writes,
                      [&] {
                        for (const auto& [field, text] : kNonFactoryTexts)
                          window_->settingsPage().setText(field, text);
                      });
    }
  }

  void uploadAndTrimFailingAtAWrite() {
    DeviceStore store = FactoryStore();
    std::fill(store.begin() + kMelodyAddress, store.end(), 0xEE);
    std::vector<ByteWrite> writes;
    for (std::size_t i = 0; i < kMelodySize; ++i) {
      const auto address = static_cast<std::uint8_t>(kMelodyAddress + i);
      writes.push_back({address, FactoryStore()[address]});
    }
    failingAtAWrite("Default tune", store, &WindowControls::cmdDefTune, writes);
    // V. Trim reads the trim (not failed here) and stores it back: the same value either way.
    store[kTrimAddress] = 133;
    failingAtAWrite("V. Trim", store, &WindowControls::cmdVtrim, {{kTrimAddress, 133}}, {}, 1);
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::FaultMatrixTest)

#include "FaultMatrixTest.moc"
