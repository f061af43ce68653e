#pragma once
// The window side of the melody: Load, Default tune, Play/Stop, Test Beep and Browse.

#include <QObject>

#include "link/CommandExchange.h"
#include "window/Dialogs.h"
#include "window/WindowLayout.h"

namespace vexaro {

class MelodyPage final : public QObject {
  Q_OBJECT

 public:
  MelodyPage(const WindowControls& controls, ApiUSBRoutines& usb, CommandExchange& exchange,
             Dialogs& dialogs);

  void cmdLoad_Click();
  void cmdDefTune_Click();
  void cmdPlay_Click();
  void cmdBeep_Click();
  void cmdBrowse_Click();

 private:
  // While a melody plays, the controls that would start another transfer are off, but for Stop
  // and Test Beep (whose acknowledgement ends the melody); so is Browse.
  void setPlayingLook(bool playing);

  const WindowControls& c_;
  ApiUSBRoutines& usb_;
  CommandExchange& exchange_;
  Dialogs& dialogs_;
};

}  // namespace vexaro
