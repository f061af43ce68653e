// A Vexaro plugged into a umockdev testbed: the udev "add" event, not the tick, starts the
// window's search, and it ends `vexaro wait` with the device's path.

#include <sstream>
#include <thread>

#include "WindowFixture.h"
#include "app/VexaroCli.h"
#include "link/hidapi/HidapiPlatform.h"
#include "link/udev/UdevNotices.h"
#include "support/CountingPlatform.h"
#include "support/Testbed.h"

namespace vexaro {

class PlugInTest : public QObject, public WindowFixture {
  Q_OBJECT

 private slots:
  void init() { if (!Testbed::active()) QSKIP("needs umockdev-wrapper"); }
  void theAddEventStartsTheSearch() {
    Testbed testbed;
    const std::unique_ptr<HidPlatform> hidapi = MakeHidapiPlatform();
    CountingPlatform counting(*hidapi, false);  // the testbed's node answers no report
    through_ = &counting;
    makeWindow();
    const std::unique_ptr<DeviceNotices> notices = MakeUdevNotices();
    window_->watchArrivals(*notices, trace_);
    window_->Timer1_Timer();  // plugged in just after a tick: the next is an hour away
    named<QTimer>("Timer1")->start(std::chrono::hours(1));
    QCOMPARE(counting.searches, 1);
    testbed.plugIn();
    QTRY_COMPARE(counting.searches, 2);
    QVERIFY(counting.found.size() == 1 && counting.found.front().path == "/dev/hidraw0");
    destroyWindow();
  }

  void theWaitEndsWithThePluggedDevicesPath() {
    Testbed testbed;
    std::ostringstream out;
    std::ostringstream err;
    int status = -1;
    std::thread waiting([&] { status = RunVexaroCli({"wait", "--timeout", "30"}, out, err); });
    testbed.plugIn();
    waiting.join();
    QCOMPARE(status, kExitDone);
    QCOMPARE(out.str(), std::string("/dev/hidraw0\n"));
  }
};

}  // namespace vexaro

VEXARO_WINDOW_TEST_MAIN(vexaro::PlugInTest)
#include "PlugInTest.moc"
