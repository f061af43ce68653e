#include "window/SettingsPage.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabBar>
#include <QTimer>
#include <initializer_list>

#include "link/DeviceContract.h"
#include "settings/FactoryDefaults.h"
#include "settings/FieldRules.h"
#include "settings/SettingsRead.h"
#include "settings/Threshold.h"
#include "window/TransferLock.h"

namespace vexaro {

namespace {

constexpr int kDefaultThreshold = 70;

bool Inside(const QObject* object, const QWidget* container) {
  for (; object != nullptr; object = object->parent()) {
    if (object == container) return true;
  }
  return false;
}

}  // namespace

SettingsPage::SettingsPage(const WindowControls& controls, ApiUSBRoutines& usb,
                           const LinkState& link, CommandExchange& exchange, Dialogs& dialogs,
                           DeviceSettings& settings)
    : c_(controls),
      usb_(usb),
      link_(link),
      exchange_(exchange),
      dialogs_(dialogs),
      settings_(settings) {
  for (const FieldInfo& info : AllFields()) {
    if (!RuleFor(info.field, settings_)) continue;
    checkedFields_[qobject_cast<QComboBox*>(FieldControl(c_, info.field))] = info.field;
  }
  // Focus changes, presses, releases and access keys anywhere in the program pass here first.
  qApp->installEventFilter(this);

  connect(c_.sliderThres, &QSlider::valueChanged, this, &SettingsPage::sliderThres_Change);
  connect(c_.txtThres, &QLineEdit::textChanged, this, &SettingsPage::txtThres_Change);
  connect(c_.chkRev, &QCheckBox::toggled, this, &SettingsPage::chkRev_Click);
  connect(c_.cmdDefSet, &QPushButton::clicked, this, &SettingsPage::cmdDefSet_Click);
  connect(c_.cmdDefAdv, &QPushButton::clicked, this, &SettingsPage::cmdDefAdv_Click);
  connect(c_.cmdSend, &QPushButton::clicked, this, &SettingsPage::cmdSend_Click);
}

SettingsPage::~SettingsPage() {
  qApp->removeEventFilter(this);
}

QString SettingsPage::text(Field field) const {
  QWidget* control = FieldControl(c_, field);
  switch (Info(field).kind) {
    case ControlKind::TextBox:
      return qobject_cast<QLineEdit*>(control)->text();
    case ControlKind::EditableList:
    case ControlKind::PickList:
      return qobject_cast<QComboBox*>(control)->currentText();
    case ControlKind::CheckBox:
      return qobject_cast<QCheckBox*>(control)->isChecked() ? "1" : "0";
    case ControlKind::OptionGroup:
      return c_.optZ10[1]->isChecked() ? "1" : "0";
  }
  return {};
}

SettingsTexts SettingsPage::texts() const {
  SettingsTexts texts;
  for (const FieldInfo& info : AllFields())
    TextOf(texts, info.field) = text(info.field).toStdString();
  return texts;
}

bool SettingsPage::setText(Field field, const QString& text) {
  QWidget* control = FieldControl(c_, field);
  switch (Info(field).kind) {
    case ControlKind::TextBox:
      qobject_cast<QLineEdit*>(control)->setText(text);
      return true;
    case ControlKind::EditableList: {
      auto* combo = qobject_cast<QComboBox*>(control);
      combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
      combo->setEditText(text);
      return true;
    }
    case ControlKind::PickList: {
      auto* combo = qobject_cast<QComboBox*>(control);
      const int index = combo->findText(text, Qt::MatchExactly);
      if (index < 0) return false;
      combo->setCurrentIndex(index);
      return true;
    }
    case ControlKind::CheckBox:
      qobject_cast<QCheckBox*>(control)->setChecked(text == "1");
      return true;
    case ControlKind::OptionGroup:
      c_.optZ10[text == "1" ? 1 : 0]->setChecked(true);
      return true;
  }
  return false;
}

void SettingsPage::cmdDefSet_Click() {
  c_.sliderThres->setValue(kDefaultThreshold);
  for (const FieldText& d : BasicDefaults(settings_)) {
    setText(d.field, QString::fromStdString(d.text));
    if (d.field == Field::chkRev) c_.labGTLT->setText(">");
  }
}

void SettingsPage::cmdDefAdv_Click() {
  for (const FieldText& d : AdvancedDefaults()) setText(d.field, QString::fromStdString(d.text));
}

bool SettingsPage::ReadDeviceSettings() {
  if (ReadSettingsBytes(usb_, link_, settings_)) {
    // The device was lost part way: the bytes after it would all read as 0.
    showSettingsFailure();
    return false;
  }
  const ShownSettings shown = ShowSettings(settings_);
  c_.lblVersion->setText(c_.lblVersion->text() + QString::fromStdString(shown.version));
  for (const FieldText& t : shown.texts) {
    if (t.field == Field::cboLowV && shown.range70) {
      // A 70 V device offers its own list; it stays for the rest of the run.
      c_.cboLowV->clear();
      for (const char* item : LowVoltageItems70()) c_.cboLowV->addItem(item);
    }
    setText(t.field, QString::fromStdString(t.text));
  }
  if (shown.gateReached && !HasVersion30Fields(settings_)) {
    // Older firmware has no minimum-voltage report; the controls stay off for the run.
    for (QWidget* control : std::initializer_list<QWidget*>{
             c_.cboMcycles, c_.Label23, c_.Label45, c_.cboVminDly, c_.Label43, c_.chkMreset}) {
      control->setEnabled(false);
    }
  }
  if (shown.failure) {
    showSettingsFailure();
    return false;
  }
  return true;
}

void SettingsPage::showSettingsFailure() {
  dialogs_.showMessage("Upload Error",
                       "An error occured while reading the device data. Default values will be "
                       "shown.",
                       Dialogs::Icon::Critical);
  cmdDefSet_Click();
  cmdDefAdv_Click();
}

void SettingsPage::cmdSend_Click() {
  const EncodedSettings encoded = EncodeSettings(texts(), settings_);
  if (encoded.failure) {
    const FieldInfo& info = Info(encoded.failure->field);
    dialogs_.showMessage(
        "Send Error",
        QString("%1 holds \"%2\", which cannot be stored in the device. Nothing was sent.")
            .arg(info.label, QString::fromStdString(encoded.failure->text)),
        Dialogs::Icon::Warning);
    QWidget* field = FieldControl(c_, encoded.failure->field);
    BringPageToFront(c_, field);
    field->setFocus(Qt::OtherFocusReason);
    return;
  }
  const DeviceHold hold = HoldDeviceForClick(usb_, dialogs_);
  if (!hold) return;
  const TransferLock lock(c_);
  for (const ByteWrite& w : encoded.writes) {
    if (!exchange_.SendCommand(command::kStoreByte, w.address, w.value)) return;
  }
}

void SettingsPage::sliderThres_Change(int value) {
  c_.txtThres->setText(QString::number(value));
}

void SettingsPage::txtThres_Change(const QString& text) {
  const std::string entry = text.toStdString();
  if (const std::string held = ThresholdBoxText(entry); held != entry) {
    // Runs this reaction again for the corrected text, which moves the slider.
    c_.txtThres->setText(QString::fromStdString(held));
    return;
  }
  if (const auto position = SliderPosition(entry)) {
    // Following the text must not rewrite it (12.5 stays 12.5 while the slider shows 12).
    const QSignalBlocker quiet(c_.sliderThres);
    c_.sliderThres->setValue(*position);
  }
}

void SettingsPage::chkRev_Click(bool checked) {
  c_.labGTLT->setText(checked ? "<" : ">");
}

QComboBox* SettingsPage::focusedCheckedField() const {
  for (const auto& [combo, field] : checkedFields_) {
    if (Inside(QApplication::focusWidget(), combo)) return combo;
  }
  return nullptr;
}

bool SettingsPage::checkField(QComboBox* combo, Field field) {
  if (checking_) return true;
  checking_ = true;
  const CheckResult result = CheckEntry(field, combo->currentText().toStdString(), settings_);
  if (result.accepted) {
    const QString text = QString::fromStdString(result.text);
    if (text != combo->currentText()) combo->setEditText(text);
  } else {
    // Every step writes its text back to the field: the user sees what was refused.
    const QString refused = QString::fromStdString(result.refused);
    if (refused != combo->currentText()) combo->setEditText(refused);
    dialogs_.showMessage(kEntryErrorTitle, QString::fromStdString(result.message),
                         Dialogs::Icon::Warning);
    // The restore text of the range in force when the message is closed.
    combo->setEditText(RuleFor(field, settings_)->restoreText);
    BringPageToFront(c_, combo);
    combo->window()->activateWindow();
    combo->setFocus(Qt::OtherFocusReason);
  }
  checking_ = false;
  return result.accepted;
}

bool SettingsPage::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::FocusOut: {
      auto* combo = qobject_cast<QComboBox*>(watched);
      const auto checked = combo != nullptr ? checkedFields_.find(combo) : checkedFields_.end();
      if (checked == checkedFields_.end()) break;
      const auto reason = static_cast<QFocusEvent*>(event)->reason();
      // The window losing activation (a message box opening, another program) and the field's
      // own drop-down list are not a move to another control.
      if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
      if (QApplication::activePopupWidget() != nullptr ||
          Inside(QApplication::focusWidget(), combo->view())) {
        break;
      }
      if (!checkField(combo, checked->second) && reason == Qt::MouseFocusReason) {
        // The click that moved the focus out of a refused field does nothing.
        swallowPress_ = true;
        QTimer::singleShot(0, this, [this] { swallowPress_ = false; });
      }
      break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      if (swallowPress_) {
        swallowPress_ = false;
        swallowRelease_ = true;
        return true;
      }
      swallowRelease_ = false;
      // A tab chosen with the mouse takes no focus: leaving the field is checked first.
      QComboBox* focused = focusedCheckedField();
      if (focused != nullptr && qobject_cast<QTabBar*>(watched) != nullptr &&
          !checkField(focused, checkedFields_.at(focused))) {
        swallowRelease_ = true;
        return true;
      }
      break;
    }
    case QEvent::MouseButtonRelease:
      if (swallowRelease_) {
        swallowRelease_ = false;
        return true;
      }
      break;
    case QEvent::Shortcut: {
      // An access key (a button, a tab) acts only once the field it leaves is accepted.
      QComboBox* focused = focusedCheckedField();
      auto* target = qobject_cast<QWidget*>(watched);
      if (focused != nullptr && target != nullptr && !Inside(target, focused) &&
          !checkField(focused, checkedFields_.at(focused))) {
        return true;
      }
      break;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace vexaro
