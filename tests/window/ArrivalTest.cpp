// The window told of plugged devices by a stand-in notice source, its tick an hour away.

#include <QElapsedTimer>
#include <QLabel>

#include "WindowFixture.h"
#include "simulator/StandInNotices.h"
#include "support/CountingPlatform.h"
#ifdef _WIN32
#include "link/windows/WinNotices.h"
#include "support/InterfaceBroadcast.h"
#endif

namespace vexaro {

const DeviceNotice kOurs{true, kVexaroVendorId, kVexaroProductId};

class ArrivalTest : public QObject, public WindowFixture {
  Q_OBJECT
  std::unique_ptr<StandInNotices> notices_;
  std::unique_ptr<CountingPlatform> counting_;

  void watch(std::optional<OpenError> refusal = {}) {
    notices_ = std::make_unique<StandInNotices>();
    watchWith(*notices_, refusal);
  }
  void watchWith(DeviceNotices& notices, std::optional<OpenError> refusal = {}) {
    platform_ = std::make_unique<SimulatedPlatform>();
    platform_->interfaces().front().openError = refusal;
    counting_ = std::make_unique<CountingPlatform>(*platform_);
    through_ = counting_.get();
    makeWindow();
    named<QTimer>("Timer1")->start(std::chrono::hours(1));
    window_->watchArrivals(notices, trace_);
  }
  bool connected() { return ui().lblConStatus->text() == "Device Connected"; }

 private slots:
  void cleanup() { destroyWindow(); }

#ifdef _WIN32
  // An arrival sent to the window as Windows sends it: a search; the close unregisters.
  void windowsSendsTheNoticeToTheWindow() {
    const std::unique_ptr<WinNotices> notices = MakeWinNotices();
    watchWith(*notices);
    QVERIFY(notices->registered());
    std::vector<char> record = OurInterfaceBroadcast();
    SendMessageW(reinterpret_cast<HWND>(window_->winId()), WM_DEVICECHANGE, DBT_DEVICEARRIVAL,
                 reinterpret_cast<LPARAM>(record.data()));
    QTRY_VERIFY(connected());
    QCOMPARE(counting_->searches, 1);
    window_->close();
    QVERIFY(!notices->registered());
  }
#endif
  void init() {
    if (!QByteArray(QTest::currentTestFunction()).startsWith("windows") &&
        StandInNotices().descriptor() < 0) {
      QSKIP("no stand-in notices on this system");
    }
  }

  void onlyOurArrivalSearches() {
    const std::pair<DeviceNotice, bool> cases[] = {
        {kOurs, true},
        {{true, std::nullopt, std::nullopt}, true},  // IDs unknown
        {{true, 0x1234, kVexaroProductId}, false},
        {{true, kVexaroVendorId, 1}, false},
        {{false, kVexaroVendorId, kVexaroProductId}, false},  // leaving
    };
    for (const auto& [notice, ours] : cases) {
      watch();
      notices_->send(notice);
      QTRY_VERIFY(notices_->waits() > 0);  // taken, and searched for then if at all
      QCOMPARE(counting_->searches, int{ours});
      QCOMPARE(firmware().received().empty(), !ours);  // the settings were read
      destroyWindow();
    }
  }

  // A device refused for permission stays unfound, so every notice would search.
  void aBurstSearchesOncePerSpacing() {
    watch(OpenError::NoPermission);
    QElapsedTimer sending;
    sending.start();
    for (int i = 0; i < 100; ++i, QCoreApplication::processEvents()) notices_->send(kOurs);
    QVERIFY(counting_->searches >= 1);
    QVERIFY(counting_->searches <= 1 + sending.elapsed() / 100);
  }

  // Then the window that has its device searches for no other, not even during a transfer.
  void aRefusalIsTriedAgain() {
    watch(OpenError::NoPermission);
    notices_->send(kOurs);
    QTRY_VERIFY(!link_->NoAccessPath.empty());
    platform_->interfaces().front().openError.reset();  // udev has applied the access rule
    QTRY_VERIFY(connected());
    const int searches = counting_->searches;
    firmware().setLatency(std::chrono::milliseconds(300));
    QTimer::singleShot(0, window_.get(), [this] { notices_->send(kOurs); });  // in the poll's wait
    window_->Timer1_Timer();
    notices_->send(kOurs);
    QTRY_VERIFY(notices_->waits() >= 3);
    QCOMPARE(counting_->searches, searches);
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::ArrivalTest)
#include "ArrivalTest.moc"
