#include "window/MelodyPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "link/DeviceContract.h"
#include "melody/MelodyLoad.h"
#include "settings/NumberText.h"
#include "window/TransferLock.h"
#include "window/frmMain.h"

namespace vexaro {

namespace {

constexpr const char* kPlayCaption = "&Play";
constexpr const char* kStopCaption = "&Stop";
constexpr const char* kDefaultName = "default";

}  // namespace

MelodyPage::MelodyPage(frmMain& window, Dialogs& dialogs)
    : QObject(&window), window_(window), dialogs_(dialogs) {
  const std::pair<const char*, void (MelodyPage::*)()> buttons[] = {
      {"cmdLoad", &MelodyPage::cmdLoad_Click},
      {"cmdDefTune", &MelodyPage::cmdDefTune_Click},
      {"cmdPlay", &MelodyPage::cmdPlay_Click},
      {"cmdBeep", &MelodyPage::cmdBeep_Click},
      {"cmdBrowse", &MelodyPage::cmdBrowse_Click},
  };
  for (const auto& [name, handler] : buttons) {
    connect(window_.control<QAbstractButton>(name), &QAbstractButton::clicked, this, handler);
  }
}

void MelodyPage::cmdLoad_Click() {
  const QString name = window_.control<QLineEdit>("txtTuneFile")->text();
  bool loaded = true;
  {
    const TransferLock lock(window_);  // cmdPlay among the rest, until the upload is over
    TuneImage image = DefaultTuneImage();
    if (name != kDefaultName) {  // exactly: "Default" is a file name
      const int raise = window_.control<QCheckBox>("chkOctave")->isChecked() ? 1 : 0;
      const TuneFileResult file = LoadTuneFile(name.toStdString(), raise);
      image = file.image;
      loaded = file.error.empty();
    }
    if (!loaded) {
      // Whatever the cause, nothing has been sent.
      dialogs_.ShowMessage("File Error", "File \"" + name + "\" Not Found!",
                           Dialogs::Icon::Warning);
    } else if (!UploadTuneImage(window_.exchange(), image)) {
      return;  // the device is gone and the program ends
    }
  }
  window_.control("cmdPlay")->setEnabled(true);
  window_.control(loaded ? "cmdPlay" : "cmdBrowse")->setFocus();
}

void MelodyPage::cmdDefTune_Click() {
  auto* play = window_.control<QPushButton>("cmdPlay");
  {
    const TransferLock lock(window_);
    window_.control<QLineEdit>("txtTuneFile")->setText(kDefaultName);
    window_.control<QCheckBox>("chkOctave")->setChecked(false);
    if (!UploadTuneImage(window_.exchange(), DefaultTuneImage())) return;
  }
  play->setEnabled(true);
  play->setFocus();
}

void MelodyPage::SetPlayingLook(bool playing) {
  auto* play = window_.control<QPushButton>("cmdPlay");
  play->setText(playing ? kStopCaption : kPlayCaption);
  play->setEnabled(true);
  for (const char* name :
       {"cmdSend", "cmdLoad", "cmdDefTune", "cmdBrowse", "cmdVtrim", "cmdReadAD", "cboVtrim"}) {
    window_.control(name)->setEnabled(!playing);
  }
  play->setFocus();
}

void MelodyPage::cmdPlay_Click() {
  auto* play = window_.control<QPushButton>("cmdPlay");
  if (play->text() != kStopCaption) {
    SetPlayingLook(true);
    // Waits while the melody plays; a click on "Stop" meanwhile runs this handler again, inside
    // this one, and its stop's acknowledgement ends this wait too.
    if (!window_.exchange().SendCommand(command::kPlay, 0, 0)) return;
  }
  if (!window_.exchange().SendCommand(command::kStop, 0, 0)) return;
  SetPlayingLook(false);
}

void MelodyPage::cmdBeep_Click() {
  const auto number = [&](const char* field) -> std::optional<double> {
    try {
      return LeadingNumber(window_.control<QComboBox>(field)->currentText().toStdString());
    } catch (const NumberError&) {
      return std::nullopt;
    }
  };
  const std::optional<double> frequency = number("cboFreq");
  const std::optional<double> seconds = number("cboDur");
  const std::optional<NoteCodes> codes =
      frequency && seconds ? BeepCodes(*frequency, *seconds) : std::nullopt;
  if (!codes) {
    dialogs_.ShowMessage("Beep Error",
                         "This beep cannot be sounded: the frequency must be between 500 and "
                         "5000 Hz and the duration between 0.032 and 1.0 Sec.",
                         Dialogs::Icon::Warning);
    return;
  }
  const TransferLock lock(window_);
  (void)window_.exchange().SendCommand(command::kBeep, codes->PitchCode, codes->DurationCode);
}

void MelodyPage::cmdBrowse_Click() {
  const std::optional<QString> path =
      dialogs_.OpenFile("Open Melody File",
                        "RTTTL RingTone Files (*.txt; *.rtttl)|*.txt;*.rtttl| All Files (*.*)|*.*");
  if (!path || path->isEmpty()) return;
  window_.control<QLineEdit>("txtTuneFile")->setText(*path);
  if (auto* load = window_.control("cmdLoad"); load->isEnabled()) load->setFocus();
}

}  // namespace vexaro
