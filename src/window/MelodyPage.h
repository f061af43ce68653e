#pragma once
// The window side of the melody: Load, Default tune, Play/Stop, Test Beep, Browse, and Listen,
// which plays what Load would store through the computer's speakers, never the device.

#include <QObject>
#include <optional>
#include <vector>

#include "link/CommandExchange.h"
#include "melody/TuneSound.h"
#include "sound/SoundOutput.h"
#include "window/Dialogs.h"
#include "window/WindowLayout.h"

class QTimer;

namespace vexaro {

class MelodyPage final : public QObject {
  Q_OBJECT

 public:
  MelodyPage(const WindowControls& controls, ApiUSBRoutines& usb, CommandExchange& exchange,
             Dialogs& dialogs, SoundOutput& sound);
  ~MelodyPage() override;  // silences what it plays

  void cmdLoad_Click();
  void cmdDefTune_Click();
  void cmdPlay_Click();
  void cmdBeep_Click();
  void cmdBrowse_Click();
  void cmdListen_Click();

 private:
  // What Load stores: the factory tune for "default", else the file's, raised as the check box
  // says. For a file that cannot be loaded, the "File Error" message, and nothing.
  std::optional<TuneImage> tuneToStore();
  // While Listen plays: the note it has reached on the status line, until the play ends.
  void showListening();
  // The button back to Listen; the status line empty, or saying why the sound stopped.
  void endListening(const std::string& failure);

  // While a melody plays, the controls that would start another transfer are off, but for Stop
  // and Test Beep (whose acknowledgement ends the melody); so is Browse.
  void setPlayingLook(bool playing);

  const WindowControls& c_;
  ApiUSBRoutines& usb_;
  CommandExchange& exchange_;
  Dialogs& dialogs_;
  SoundOutput& sound_;
  QTimer* listening_;               // runs while Listen plays
  std::vector<SoundedNote> heard_;  // the notes of what Listen plays
};

}  // namespace vexaro
