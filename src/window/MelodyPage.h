#pragma once
// The window side of the melody: Load, Default tune, Play/Stop, Test Beep and Browse.

#include <QObject>

#include "window/Dialogs.h"

namespace vexaro {

class frmMain;

class MelodyPage final : public QObject {
  Q_OBJECT

 public:
  MelodyPage(frmMain& window, Dialogs& dialogs);

  void cmdLoad_Click();
  void cmdDefTune_Click();
  void cmdPlay_Click();
  void cmdBeep_Click();
  void cmdBrowse_Click();

 private:
  // While a melody plays, the controls that would start another transfer are off.
  void SetPlayingLook(bool playing);

  frmMain& window_;
  Dialogs& dialogs_;
};

}  // namespace vexaro
