#include "window/BackupButtons.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "backup/DeviceBackup.h"
#include "storage/BackupFile.h"
#include "storage/FileAccess.h"
#include "window/TransferLock.h"

namespace vexaro {

namespace {

constexpr const char* kBackupFilter = "Vexaro Backup Files (*.json)|*.json|All Files (*.*)|*.*";
constexpr const char* kBackupErrorTitle = "Backup Error";
constexpr const char* kRestoreErrorTitle = "Restore Error";

// The window as the restore's exchange sees it, but for a lost device: the restore says so, and
// the window goes on.
class KeepGoing final : public LinkHost {
 public:
  explicit KeepGoing(LinkHost& window) : window_(window) {}
  void setPollTimer(bool enabled) override { window_.setPollTimer(enabled); }
  void processEvents() override { window_.processEvents(); }
  void endProgram() override {}

 private:
  LinkHost& window_;
};

}  // namespace

BackupButtons::BackupButtons(const WindowControls& controls, ApiUSBRoutines& usb, LinkHost& window,
                             Dialogs& dialogs, std::function<void()> readAgain,
                             std::function<void()> lost)
    : c_(controls),
      usb_(usb),
      window_(window),
      dialogs_(dialogs),
      readAgain_(std::move(readAgain)),
      lost_(std::move(lost)) {
  connect(c_.cmdBackup, &QPushButton::clicked, this, &BackupButtons::cmdBackup_Click);
  connect(c_.cmdRestore, &QPushButton::clicked, this, &BackupButtons::cmdRestore_Click);
}

void BackupButtons::tell(const char* title, const DeviceOutcome& outcome) {
  const bool device = outcome.kind == DeviceOutcome::Kind::Device;
  dialogs_.showMessage(title, QString::fromStdString(outcome.why),
                       device ? Dialogs::Icon::Critical : Dialogs::Icon::Warning);
  if (device) lost_();
}

void BackupButtons::cmdBackup_Click() {
  const std::optional<QString> path = dialogs_.saveFile("Back Up to File", kBackupFilter);
  if (!path || path->isEmpty()) return;
  if (!memoryFile_.empty() && SameFile(path->toStdString(), memoryFile_)) {
    tell(kBackupErrorTitle,
         {DeviceOutcome::Kind::Refused,
          CannotWrite(path->toStdString(),
                      "it is the simulated device's memory file, which the window keeps writing",
                      true)
              .why});
    return;
  }
  DeviceOutcome outcome;
  {
    const DeviceHold hold = HoldDeviceForClick(usb_, dialogs_);
    if (!hold) return;
    const TransferLock lock(c_);
    outcome = BackUpDevice(usb_, path->toStdString());
  }
  if (outcome.kind != DeviceOutcome::Kind::Done) tell(kBackupErrorTitle, outcome);
}

void BackupButtons::cmdRestore_Click() {
  const std::optional<QString> path = dialogs_.openFile("Restore from File", kBackupFilter);
  if (!path || path->isEmpty()) return;
  // The whole file is read and checked before the device is reached.
  const Result<Backup> backup = ReadBackupFile(path->toStdString());
  if (!backup) {
    tell(kRestoreErrorTitle, {DeviceOutcome::Kind::Refused, backup.why()});
    return;
  }
  DeviceOutcome outcome;
  {
    const DeviceHold hold = HoldDeviceForClick(usb_, dialogs_);
    if (!hold) return;
    {
      const TransferLock lock(c_);
      QProgressBar* bar = c_.prgRestore;
      const auto progress = [&](std::size_t stored, std::size_t total) {
        if (bar->isHidden()) {
          c_.Label48->setVisible(false);
          bar->setVisible(true);
        }
        bar->setMaximum(static_cast<int>(total));
        bar->setValue(static_cast<int>(stored));
      };
      KeepGoing host(window_);
      CommandExchange exchange(usb_, host);
      outcome = RestoreDevice(usb_, exchange, *backup, RestoreParts{}, progress);
      bar->setVisible(false);
      bar->reset();
      c_.Label48->setVisible(true);
    }
    if (outcome.kind == DeviceOutcome::Kind::Done) {
      readAgain_();  // what the device now holds, in the same hold
      return;
    }
  }
  tell(kRestoreErrorTitle, outcome);
}

}  // namespace vexaro
