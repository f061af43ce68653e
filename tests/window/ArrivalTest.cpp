// The window told of plugged devices by a stand-in notice source, its tick an hour away: it
// searches at once for a Vexaro, never for another device, once for a burst, and again after a
// refusal for permission.

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include "WindowFixture.h"
#include "simulator/StandInNotices.h"

namespace vexaro {

namespace {

// The simulated platform, counting searches: each enumerates once.
class CountingPlatform final : public HidPlatform {
 public:
  int searches = 0;
  explicit CountingPlatform(std::unique_ptr<SimulatedPlatform>& platform) : platform_(platform) {}
  std::vector<HidInterfaceInfo> enumerate() override {
    ++searches;
    return platform_->enumerate();
  }
  OpenResult open(const std::string& path) override { return platform_->open(path); }

 private:
  std::unique_ptr<SimulatedPlatform>& platform_;
};

}  // namespace

class ArrivalTest : public QObject, public WindowFixture {
  Q_OBJECT

  std::unique_ptr<StandInNotices> notices_;
  std::unique_ptr<CountingPlatform> counting_;

  // A window on the simulated device, not searched for, watching the stand-in notices.
  void watch(std::optional<OpenError> refusal = {}) {
    platform_ = std::make_unique<SimulatedPlatform>();
    platform_->interfaces().front().openError = refusal;
    counting_ = std::make_unique<CountingPlatform>(platform_);
    through_ = counting_.get();
    makeWindow();
    named<QTimer>("Timer1")->start(std::chrono::hours(1));
    notices_ = std::make_unique<StandInNotices>();
    window_->watchArrivals(*notices_, trace_);
  }
  bool connected() { return ui().lblConStatus->text() == "Device Connected"; }

 private slots:
  void init() {
    if (StandInNotices().descriptor() < 0) QSKIP("no notices to watch on this system");
  }
  void cleanup() {
    destroyWindow();
    notices_.reset();
  }

  void ourDeviceIsSearchedAtOnce_data() {
    QTest::addColumn<std::optional<std::uint16_t>>("vendor");
    QTest::newRow("its IDs") << std::optional<std::uint16_t>(kVexaroVendorId);
    QTest::newRow("IDs unknown") << std::optional<std::uint16_t>();
  }
  void ourDeviceIsSearchedAtOnce() {
    QFETCH(std::optional<std::uint16_t>, vendor);
    watch();
    notices_->send({true, vendor, vendor ? std::optional(kVexaroProductId) : std::nullopt});
    QTRY_VERIFY(connected());
    QCOMPARE(counting_->searches, 1);
    QVERIFY(!firmware().received().empty());  // the settings were read
  }

  // Other devices' notices, and a Vexaro leaving, are passed by.
  void otherNoticesSearchNothing() {
    watch();
    notices_->send({true, 0x1234, kVexaroProductId});
    notices_->send({true, kVexaroVendorId, 0x0001});
    notices_->send({false, kVexaroVendorId, kVexaroProductId});
    QTRY_VERIFY(notices_->waits() > 0);
    QCOMPARE(counting_->searches, 0);
  }

  // A device refused for permission stays unfound, so every notice would search.
  void aBurstSearchesOncePerSpacing() {
    watch(OpenError::NoPermission);
    QElapsedTimer sending;
    sending.start();
    for (int i = 0; i < 100; ++i) {
      notices_->send({true, kVexaroVendorId, kVexaroProductId});
      QCoreApplication::processEvents();
    }
    QVERIFY(counting_->searches >= 1);
    QVERIFY2(counting_->searches <= 1 + sending.elapsed() / 100,
             qPrintable(QString::number(counting_->searches)));
  }

  void aRefusalIsTriedAgain() {
    watch(OpenError::NoPermission);
    notices_->send({true, kVexaroVendorId, kVexaroProductId});
    QTRY_VERIFY(!link_->NoAccessPath.empty());
    platform_->interfaces().front().openError.reset();  // udev has applied the access rule
    QTRY_VERIFY(connected());
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::ArrivalTest)
#include "ArrivalTest.moc"
