#include "window/MelodyPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>

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
constexpr const char* kListenCaption = "Lis&ten";
constexpr const char* kListenStopCaption = "St&op";
// How often the status line follows the sound: 50 times a second.
constexpr std::chrono::milliseconds kListenTick{20};

}  // namespace

MelodyPage::MelodyPage(const WindowControls& controls, ApiUSBRoutines& usb,
                       CommandExchange& exchange, Dialogs& dialogs, SoundOutput& sound)
    : c_(controls),
      usb_(usb),
      exchange_(exchange),
      dialogs_(dialogs),
      sound_(sound),
      listening_(new QTimer(this)) {
  connect(c_.cmdLoad, &QPushButton::clicked, this, &MelodyPage::cmdLoad_Click);
  connect(c_.cmdDefTune, &QPushButton::clicked, this, &MelodyPage::cmdDefTune_Click);
  connect(c_.cmdPlay, &QPushButton::clicked, this, &MelodyPage::cmdPlay_Click);
  connect(c_.cmdBeep, &QPushButton::clicked, this, &MelodyPage::cmdBeep_Click);
  connect(c_.cmdBrowse, &QPushButton::clicked, this, &MelodyPage::cmdBrowse_Click);
  connect(c_.cmdListen, &QPushButton::clicked, this, &MelodyPage::cmdListen_Click);
  listening_->setInterval(kListenTick);
  connect(listening_, &QTimer::timeout, this, &MelodyPage::showListening);
}

MelodyPage::~MelodyPage() {
  sound_.stop();
}

std::optional<TuneImage> MelodyPage::tuneToStore() {
  const QString name = c_.txtTuneFile->text();
  if (name == kDefaultName) return DefaultTuneImage();  // exactly: "Default" is a file name
  const int raise = c_.chkOctave->isChecked() ? 1 : 0;
  const Result<TuneFile> file = LoadTuneFile(name.toStdString(), raise);
  if (file) return file->image;
  // Whatever the cause, nothing has been sent.
  dialogs_.showMessage("File Error", "File \"" + name + "\" Not Found!", Dialogs::Icon::Warning);
  return std::nullopt;
}

void MelodyPage::cmdLoad_Click() {
  bool loaded = false;
  {
    const TransferLock lock(c_);  // cmdPlay among the rest, until the upload is over
    const std::optional<TuneImage> image = tuneToStore();
    loaded = image.has_value();
    if (loaded) {
      const DeviceHold hold = HoldDeviceForClick(usb_, dialogs_);
      if (!hold) return;
      if (!UploadTuneImage(exchange_, *image)) return;  // the device is gone and the program ends
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

void MelodyPage::cmdListen_Click() {
  if (listening_->isActive()) {  // the button reads Stop
    sound_.stop();
    endListening({});
    return;
  }
  c_.lblListen->clear();
  const std::optional<TuneImage> image = tuneToStore();
  if (!image) {
    c_.cmdBrowse->setFocus();
    return;
  }
  TuneSound sound = RenderTuneSound(*image);
  heard_ = std::move(sound.notes);
  if (const Result<void> started = sound_.start(std::move(sound.samples)); !started) {
    endListening(started.why());
    return;
  }
  c_.cmdListen->setText(kListenStopCaption);
  listening_->start();
  showListening();
}

void MelodyPage::showListening() {
  const SoundProgress progress = sound_.progress();
  if (!progress.playing) {
    endListening(progress.failure);
    return;
  }
  if (heard_.empty()) return;
  // The last note that starts at or before the position.
  const auto after = std::upper_bound(
      heard_.begin() + 1, heard_.end(), progress.sample,
      [](std::size_t sample, const SoundedNote& note) { return sample < note.firstSample; });
  const SoundedNote& note = *(after - 1);
  const QString what = note.note.IsPause ? QString("pause")
                                         : QString("%1 %2 Hz")
                                               .arg(QString::fromStdString(note.note.Name))
                                               .arg(note.note.Frequency, 0, 'f', 2);
  c_.lblListen->setText(QString("Playing note %1 of %2: %3")
                            .arg(after - heard_.begin())
                            .arg(heard_.size())
                            .arg(what));
}

void MelodyPage::endListening(const std::string& failure) {
  listening_->stop();
  c_.cmdListen->setText(kListenCaption);
  c_.lblListen->setText(QString::fromStdString(failure));
}

}  // namespace vexaro
