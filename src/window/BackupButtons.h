#pragma once
// The window side of the whole device in one file: Back Up... writes the device to a backup file,
// Restore... stores one. Both run the command-line tool's own backup and restore (src/backup/),
// and every refusal and failure is the tool's sentence in a message box.

#include <QObject>
#include <functional>
#include <string>
#include <utility>

#include "link/CommandExchange.h"
#include "window/Dialogs.h"
#include "window/WindowLayout.h"

namespace vexaro {

struct DeviceOutcome;

class BackupButtons final : public QObject {
  Q_OBJECT

 public:
  // `window` hosts the restore's exchange (its poll timer, its events); a device lost meanwhile
  // does not end the program but is said in a message box, then `lost` is called. `readAgain`
  // fills the window from the device after a restore.
  BackupButtons(const WindowControls& controls, ApiUSBRoutines& usb, LinkHost& window,
                Dialogs& dialogs, std::function<void()> readAgain, std::function<void()> lost);

  // Back Up... refuses to write over `file`, the simulated device's memory file: the window keeps
  // writing the memory there, and the next exchange would find a backup where its memory was.
  void keepFrom(std::string file) { memoryFile_ = std::move(file); }

  void cmdBackup_Click();
  void cmdRestore_Click();

 private:
  // A failure's sentence in a box with this title; a device failure is then passed to `lost_`.
  void tell(const char* title, const DeviceOutcome& outcome);

  const WindowControls& c_;
  ApiUSBRoutines& usb_;
  LinkHost& window_;
  Dialogs& dialogs_;
  std::function<void()> readAgain_;
  std::function<void()> lost_;
  std::string memoryFile_;
};

}  // namespace vexaro
