#pragma once
// The main window: the tab strip with its pages, the Transfer frame, Help, Exit and the status
// line. Its controls are built from the layout table (WindowLayout.h); each page's handlers get
// the controls, the link and the dialogs they use.

#include <QString>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>

#include "link/ApiUSBRoutines.h"
#include "link/CommandExchange.h"
#include "link/DeviceNotices.h"
#include "settings/SettingsRecord.h"
#include "sound/SoundOutput.h"
#include "window/Dialogs.h"
#include "window/WindowLayout.h"

namespace vexaro {

class ArrivalWatch;
class BackupButtons;
class CalibrationPage;
class MelodyPage;
class SettingsPage;

// A transfer was started while another waited for the device. Nothing was sent; the waiting one
// goes on. The window's handlers never get here: while a transfer waits the controls that start
// one are locked and the poll skips its tick.
class TransferRefused : public std::logic_error {
 public:
  TransferRefused()
      : std::logic_error("a transfer was started while another waits for the device") {}
};

class frmMain final : public QWidget, public LinkHost {
  Q_OBJECT

 public:
  // `sound` is the computer's own sound output, which Listen plays through; it outlives the window.
  frmMain(ApiUSBRoutines& usb, const LinkState& link, DeviceSettings& settings, Dialogs& dialogs,
          SoundOutput& sound, QWidget* parent = nullptr);
  ~frmMain() override;

  const WindowControls& controls() const { return controls_; }
  SettingsPage& settingsPage() { return *settingsPage_; }
  CommandExchange& exchange() { return exchange_; }

  // The calibration switch: the program's remaining argument string was exactly "kalfo".
  void setCalibrationSwitch(bool on) { calibrationSwitch_ = on; }

  // One tick of the connection monitor: search while disconnected (and read the settings the
  // moment the device is found), poll while connected; any reply but 6 unloads the window.
  void Timer1_Timer();

  // Has the window search as soon as `notices` tell of a Vexaro arriving; the tick goes on as the
  // poll, and alone when they cannot start (one line on `trace`). `notices` outlive the window.
  void watchArrivals(DeviceNotices& notices, TrafficTrace& trace);
  // Back Up... refuses to write over `file` (the simulated device's memory file; empty: none).
  void keepFromBackups(std::string file);

  // LinkHost: the exchange's view of the window.
  void setPollTimer(bool enabled) override;
  void processEvents() override;
  void endProgram() override;

  // How long a transfer may wait before the window handles events meanwhile: a device answers
  // well within it, so ordinary transfers never run event handlers in between.
  static constexpr std::chrono::milliseconds kQuietWait{50};

  // Where the help file is looked for: beside the program, else in the installed data folder.
  static QString helpFilePath();

 signals:
  // The window was unloaded: the program ends.
  void unloaded();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void TabStrip1_Click(int index);
  void cmdHelp_Click();
  void showContextHelp();
  void cmdExit_Click();
  // The connected look: green lamp, "Device Connected", "Version ", the device buttons enabled.
  void showConnected();
  // The tick's search while no device is there; the settings are read the moment one is found.
  void searchForDevice();
  // A search a notice asked for, done unless a transfer, a tick, an exchange sequence or a modal
  // box is under way (then the tick does it). Whether the device found was refused for
  // permission.
  bool searchOnNotice();
  // A search that found nothing: the disconnected look, or "No Access to Device".
  void showSearching();
  // The status line's lamp and text of a device in use: green and "Device Connected".
  void showLinkUp();
  // Another program holds the device (or its lock could not be taken): a yellow lamp, "Device in
  // Use", and who has it in the tool tip.
  void showInUse(const LockResult& refusal);
  // The link's waiter: runs a write or a read on a worker thread. One that takes longer than
  // kQuietWait has the window handle its events (it repaints, moves, closes) until it ends, the
  // transfer controls locked; the poll waits for the next tick. What the transfer throws is
  // thrown here, once the worker is done with it. A transfer started by a handler run meanwhile
  // is refused: TransferRefused, with nothing sent.
  void waitResponsively(const std::function<void()>& call);
  class TransferWorker;

  ApiUSBRoutines& usb_;
  const LinkState& link_;
  Dialogs& dialogs_;
  WindowControls controls_;
  QTimer* Timer1_ = nullptr;
  ArrivalWatch* arrivals_ = nullptr;
  CommandExchange exchange_;
  // Members, so that they go before ~QWidget deletes the controls: no handler sees one go.
  std::unique_ptr<SettingsPage> settingsPage_;
  std::unique_ptr<MelodyPage> melodyPage_;
  std::unique_ptr<CalibrationPage> calibrationPage_;
  std::unique_ptr<BackupButtons> backupButtons_;
  bool calibrationSwitch_ = false;
  bool unloaded_ = false;
  bool inUse_ = false;  // the status shows the device in use by another program
  std::unique_ptr<TransferWorker> worker_;
  bool waiting_ = false;  // a transfer is waited for with the window handling its events
};

}  // namespace vexaro
