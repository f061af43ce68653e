#pragma once
// What every window test needs: the window on a simulated platform with recording dialogs,
// shown and active under the offscreen platform.

#include <QApplication>
#include <QtTest>
#include <memory>

#include "FakeDialogs.h"
#include "simulator/SimulatedDevice.h"
#include "window/frmMain.h"

namespace vexaro {

class WindowFixture {
 protected:
  std::unique_ptr<SimulatedPlatform> platform_;
  TrafficTrace trace_;
  std::unique_ptr<LinkState> link_;
  std::unique_ptr<ApiUSBRoutines> usb_;
  DeviceSettings settings_{};
  std::unique_ptr<FakeDialogs> dialogs_;
  std::unique_ptr<frmMain> window_;

  // A window with no device present (`devices` adds some before it is built).
  void makeWindow(Dialogs* dialogs = nullptr) {
    if (!platform_) platform_ = std::make_unique<SimulatedPlatform>(SimulatedPlatform::Empty{});
    link_ = std::make_unique<LinkState>();
    usb_ = std::make_unique<ApiUSBRoutines>(*platform_, *link_, trace_);
    dialogs_ = std::make_unique<FakeDialogs>();
    window_ = std::make_unique<frmMain>(*usb_, *link_, settings_,
                                        dialogs != nullptr ? *dialogs : *dialogs_);
    window_->show();
    activate();
  }

  void destroyWindow() {
    window_.reset();
    usb_.reset();
    link_.reset();
    platform_.reset();
    settings_ = {};
  }

  void activate() {
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

  template <typename T = QWidget>
  T* c(const char* name) {
    T* widget = window_->findChild<T*>(name);
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
  }
};

// The offscreen platform warns about every window feature it lacks; those lines are noise.
inline QtMessageHandler& PreviousMessageHandler() {
  static QtMessageHandler handler = nullptr;
  return handler;
}
inline void QuietOffscreen(QtMsgType type, const QMessageLogContext& context,
                           const QString& message) {
  if (message.startsWith("This plugin does not support")) return;
  PreviousMessageHandler()(type, context, message);
}

}  // namespace vexaro

#define VEXARO_WINDOW_TEST_MAIN(TestClass)                                             \
  int main(int argc, char** argv) {                                                    \
    vexaro::PreviousMessageHandler() = qInstallMessageHandler(vexaro::QuietOffscreen); \
    QApplication application(argc, argv);                                              \
    TestClass test;                                                                    \
    return QTest::qExec(&test, argc, argv);                                            \
  }
