#pragma once
// What every window test needs: the window on a simulated platform with recording dialogs,
// shown and active under the offscreen platform, and the device's side of what happened.

#include <QAbstractButton>
#include <QApplication>
#include <QtTest>
#include <map>
#include <memory>

#include "FakeDialogs.h"
#include "link/DeviceContract.h"
#include "simulator/SimulatedDevice.h"
#include "window/frmMain.h"

namespace vexaro {

// The computer's speakers: records what it is given and told; plays as the test says.
class StandInSound final : public SoundOutput {
 public:
  Result<void> start(std::vector<std::int16_t> samples) override {
    if (!refusal.empty()) return Failure{refusal};
    started.push_back(std::move(samples));
    now = {true, 0, {}};
    return {};
  }
  void stop() override {
    ++stops;
    now.playing = false;
  }
  SoundProgress progress() override { return now; }

  std::vector<std::vector<std::int16_t>> started;
  int stops = 0;
  SoundProgress now;    // what progress() answers
  std::string refusal;  // not empty: start() fails with it
};

class WindowFixture {
 protected:
  std::unique_ptr<SimulatedPlatform> platform_;
  TrafficTrace trace_;
  std::unique_ptr<LinkState> link_;
  std::unique_ptr<ApiUSBRoutines> usb_;
  DeviceSettings settings_{};
  std::unique_ptr<FakeDialogs> dialogs_;
  std::unique_ptr<StandInSound> sound_;
  std::unique_ptr<frmMain> window_;
  HidPlatform* through_ = nullptr;  // set: the window's link goes through it, not to platform_

  // A window with no device present (`platform_` may be set up before).
  void makeWindow(Dialogs* dialogs = nullptr) {
    if (!platform_) platform_ = std::make_unique<SimulatedPlatform>(SimulatedPlatform::Empty{});
    link_ = std::make_unique<LinkState>();
    usb_ = std::make_unique<ApiUSBRoutines>(through_ != nullptr ? *through_ : *platform_, *link_,
                                            trace_);
    dialogs_ = std::make_unique<FakeDialogs>();
    window_.reset();
    sound_ = std::make_unique<StandInSound>();
    window_ = std::make_unique<frmMain>(*usb_, *link_, settings_,
                                        dialogs != nullptr ? *dialogs : *dialogs_, *sound_);
    window_->show();
    activate();
  }

  // A window on a device that holds `store` changed at `bytes`, not searched for yet.
  void startWith(DeviceStore store, const std::map<std::uint8_t, std::uint8_t>& bytes = {},
                 bool kalfo = false) {
    for (const auto& [address, value] : bytes) store[address] = value;
    platform_ = std::make_unique<SimulatedPlatform>(store);
    makeWindow();
    window_->setCalibrationSwitch(kalfo);
  }
  // The same, found and read by the first tick.
  void connectTo(DeviceStore store, const std::map<std::uint8_t, std::uint8_t>& bytes = {},
                 bool kalfo = false) {
    startWith(store, bytes, kalfo);
    window_->Timer1_Timer();
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

  const WindowControls& ui() const { return window_->controls(); }
  // A control found by its name, as a user finds it by its caption.
  template <typename T = QWidget>
  T* named(const char* name) {
    T* widget = window_->findChild<T*>(name);
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
  }
  SimulatedFirmware& firmware() { return platform_->firmware(); }

  // Clicks a control as a user does: its page chosen first.
  void click(QWidget* control) {
    BringPageToFront(ui(), control);
    QTest::mouseClick(control, Qt::LeftButton);
  }

  // The store commands the device received, as address and value.
  std::vector<std::pair<int, int>> stores() {
    std::vector<std::pair<int, int>> writes;
    for (const ReceivedCommand& r : firmware().received()) {
      if (r.command == command::kStoreByte) writes.emplace_back(r.argument1, r.argument2);
    }
    return writes;
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
