#include "window/MelodyPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "common/NumberText.h"
#include "link/DeviceContract.h"
#include "melody/MelodyLoad.h"
#include "window/TransferLock.h"
#include "window/Widgets.h"

namespace vexaro {

namespace {

constexpr const char* kPlayCaption = "&Play";
constexpr const char* kStopCaption = "&Stop";
constexpr const char* kDefaultName = "default";

}  // namespace

MelodyPage::MelodyPage(const WindowControls& controls, ApiUSBRoutines& usb,
                       CommandExchange& exchange, Dialogs& dialogs)
    : c_(controls), usb_(usb), exchange_(exchange), dialogs_(dialogs) {
  connect(c_.cmdLoad, &QPushButton::clicked, this, &MelodyPage::cmdLoad_Click);
  connect(c_.cmdDefTune, &QPushButton::clicked, this, &MelodyPage::cmdDefTune_Click);
  connect(c_.cmdPlay, &QPushButton::clicked, this, &MelodyPage::cmdPlay_Click);
  connect(c_.cmdBeep, &QPushButton::clicked, this, &MelodyPage::cmdBeep_Click);
  connect(c_.cmdBrowse, &QPushButton::clicked, this, &MelodyPage::cmdBrowse_Click);
}

void MelodyPage::cmdLoad_Click() {
  const QString name = c_.txtTuneFile->text();
  bool loaded = true;
  {
    const TransferLock lock(c_);  // cmdPlay among the rest, until the upload is over
    TuneImage image = DefaultTuneImage();
    if (name != kDefaultName) {  // exactly: "Default" is a file name
      const int raise = c_.chkOctave->isChecked() ? 1 : 0;
      const Result<TuneFile> file = LoadTuneFile(name.toStdString(), raise);
      loaded = file.ok();
      if (loaded) image = file->image;
    }
    if (!loaded) {
      // Whatever the cause, nothing has been sent.
      dialogs_.showMessage("File Error", "File \"" + name + "\" Not Found!",
                           Dialogs::Icon::Warning);
    } else {
      const DeviceHold hold = HoldDeviceForClick(usb_, dialogs_);
      if (!hold) return;
      if (!UploadTuneImage(exchange_, image)) return;  // the device is gone and the program ends
    }
  }
  c_.cmdPlay->setEnabled(true);
  (loaded ? c_.cmdPlay : c_.cmdBrowse)->setFocus();
}

void MelodyPage::cmdDefTune_Click() {
  const DeviceHold hold = HoldDeviceForClick(usb_, dialogs_);
  if (!hold) return;
  {
    const TransferLock lock(c_);
    c_.txtTuneFile->setText(kDefaultName);
    c_.chkOctave->setChecked(false);
    if (!UploadTuneImage(exchange_, DefaultTuneImage())) return;
  }
  c_.cmdPlay->setEnabled(true);
  c_.cmdPlay->setFocus();
}

void MelodyPage::setPlayingLook(bool playing) {
  QPushButton* play = c_.cmdPlay;
  play->setText(playing ? kStopCaption : kPlayCaption);
  play->setEnabled(true);
  for (QWidget* control : c_.transfer) {
    if (control != play && control != c_.cmdBeep) control->setEnabled(!playing);
  }
  c_.cmdBrowse->setEnabled(!playing);
  play->setFocus();
}

void MelodyPage::cmdPlay_Click() {
  // One hold for the melody and its stop (a Stop clicked while it plays nests in it).
  const DeviceHold hold = HoldDeviceForClick(usb_, dialogs_);
  if (!hold) return;
  if (c_.cmdPlay->text() != kStopCaption) {
    setPlayingLook(true);
    // Waits while the melody plays; a click on "Stop" meanwhile runs this handler again, inside
    // this one, and its stop's acknowledgement ends this wait too.
    if (!exchange_.SendCommand(command::kPlay, 0, 0)) return;
  }
  if (!exchange_.SendCommand(command::kStop, 0, 0)) return;
  setPlayingLook(false);
}

void MelodyPage::cmdBeep_Click() {
  const auto number = [](const QComboBox* field) -> std::optional<double> {
    const Result<double> n = LeadingNumber(field->currentText().toStdString());
    return n ? std::optional<double>(*n) : std::nullopt;
  };
  const std::optional<double> frequency = number(c_.cboFreq);
  const std::optional<double> seconds = number(c_.cboDur);
  const std::optional<NoteCodes> codes =
      frequency && seconds ? BeepCodes(*frequency, *seconds) : std::nullopt;
  if (!codes) {
    dialogs_.showMessage("Beep Error",
                         "This beep cannot be sounded: the frequency must be between 500 and "
                         "5000 Hz and the duration between 0.032 and 1.0 Sec.",
                         Dialogs::Icon::Warning);
    return;
  }
  const DeviceHold hold = HoldDeviceForClick(usb_, dialogs_);
  if (!hold) return;
  const TransferLock lock(c_);
  (void)exchange_.SendCommand(command::kBeep, codes->PitchCode, codes->DurationCode);
}

void MelodyPage::cmdBrowse_Click() {
  const std::optional<QString> path =
      dialogs_.openFile("Open Melody File",
                        "RTTTL RingTone Files (*.txt; *.rtttl)|*.txt;*.rtttl| All Files (*.*)|*.*");
  if (!path || path->isEmpty()) return;
  c_.txtTuneFile->setText(*path);
  if (c_.cmdLoad->isEnabled()) c_.cmdLoad->setFocus();
}

}  // namespace vexaro
