#include "window/frmMain.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <chrono>
#include <map>

#include "window/CalibrationPage.h"
#include "link/DeviceContract.h"
#include "window/MelodyPage.h"
#include "settings/SettingsFields.h"
#include "window/SettingsPage.h"
#include "window/Widgets.h"
#include "window/WindowLayout.h"

// The window's resources live in a static library; they must be registered by name.
static void InitWindowResources() {
  Q_INIT_RESOURCE(window);
}

#ifndef VEXARO_HELP_DIR
#define VEXARO_HELP_DIR "/usr/share/vexaro-link"
#endif

namespace vexaro {

namespace {

constexpr std::chrono::milliseconds kTickInterval{1000};
constexpr const char* kHelpFileName = "vexarohelp.html";
constexpr const char* kHelpContextProperty = "helpContext";
constexpr int kOverviewTopic = 900;

// The window is designed for an 8 pt font; its places hold with the desktop's font family at
// that size.
constexpr int kFontPointSize = 8;
constexpr int kLargeFontPointSize = 12;

struct Tab {
  const char* caption;
  const char* toolTip;
  const char* page;
};
constexpr Tab kTabs[] = {
    {"S&ettings", "Basic Parameter Settings", "fraSettings"},
    {"&Melody", "Melody Settings", "fraMelody"},
    {"&Advanced", "Advanced Parameter Settings", "fraAdvanced"},
};

QStringList ItemsOf(const QString& control) {
  QStringList items;
  if (control == "cboVtrim") {
    for (int trim = -7; trim <= 7; ++trim) items << QString::number(trim);
  } else if (const auto field = FieldByControl(control.toStdString())) {
    for (const char* item : Info(*field).items) items << item;
  }
  return items;
}

}  // namespace

frmMain::frmMain(ApiUSBRoutines& usb, LinkState& link, DeviceSettings& settings, Dialogs& dialogs,
                 QWidget* parent)
    : QWidget(parent),
      usb_(usb),
      link_(link),
      dialogs_(dialogs),
      DeviceSettings_(settings),
      exchange_(usb, link, *this) {
  setObjectName("frmMain");
  setWindowTitle("Vexaro  -  Version 3.0");
  InitWindowResources();
  setWindowIcon(QIcon(":/org.vexaro.usblink.svg"));
  QFont font = QApplication::font();
  font.setPointSize(kFontPointSize);
  setFont(font);
  BuildControls();
  settings_ = new SettingsPage(*this, dialogs_, DeviceSettings_);
  new MelodyPage(*this, dialogs_);
  new CalibrationPage(*this);

  auto* help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, this, &frmMain::ShowContextHelp);
  connect(control<QPushButton>("cmdHelp"), &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
  connect(control<QPushButton>("cmdExit"), &QPushButton::clicked, this, &frmMain::cmdExit_Click);
  connect(TabStrip1_->tabBar(), &QTabBar::tabBarClicked, this, &frmMain::TabStrip1_Click);
  connect(TabStrip1_, &QTabWidget::currentChanged, this, &frmMain::TabStrip1_Click);
  // An access key of the tab that is already selected chooses it again.
  TabStrip1_->tabBar()->installEventFilter(this);

  // Form_Load: the basic settings in front, no device detected yet.
  TabStrip1_Click(0);
  link_.DeviceDetected = false;

  Timer1_ = new QTimer(this);
  Timer1_->setObjectName("Timer1");
  Timer1_->setInterval(kTickInterval);
  connect(Timer1_, &QTimer::timeout, this, &frmMain::Timer1_Timer);
  Timer1_->start();
}

void frmMain::BuildControls() {
  const double dpi = screen() != nullptr ? screen()->logicalDotsPerInchX() : 96.0;
  const auto px = [dpi](int twips) { return qRound(twips * dpi / kTwipsPerInch); };
  setFixedSize(px(kClientWidthTwips), px(kClientHeightTwips));

  // Weight set explicitly, so that the children of a bold frame do not inherit its weight.
  QFont plain = font();
  plain.setWeight(QFont::Normal);
  QFont bold = plain;
  bold.setBold(true);
  QFont large = bold;
  large.setPointSize(kLargeFontPointSize);

  std::map<QString, QWidget*> made;
  for (const ControlSpec& entry : MainWindowControls()) {
    QWidget* parent = entry.parent != nullptr ? made.at(entry.parent) : this;
    const QString text = entry.text != nullptr ? QString(entry.text) : QString();
    QWidget* widget = nullptr;
    switch (entry.kind) {
      case WidgetKind::Label: {
        auto* label = new QLabel(text, parent);
        label->setWordWrap((entry.flags & kWrap) != 0);
        label->setTextFormat(Qt::PlainText);
        widget = label;
        break;
      }
      case WidgetKind::Button:
        widget = new QPushButton(text, parent);
        break;
      case WidgetKind::WrapButton:
        widget = new WrapButton(text, parent);
        break;
      case WidgetKind::CheckBox: {
        auto* box = new QCheckBox(text, parent);
        box->setChecked((entry.flags & kChecked) != 0);
        widget = box;
        break;
      }
      case WidgetKind::Option: {
        auto* option = new QRadioButton(text, parent);
        option->setChecked((entry.flags & kChecked) != 0);
        widget = option;
        break;
      }
      case WidgetKind::TextBox:
        widget = new QLineEdit(text, parent);
        break;
      case WidgetKind::EditCombo:
      case WidgetKind::ListCombo: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(entry.kind == WidgetKind::EditCombo);
        if (combo->isEditable()) combo->setCompleter(nullptr);  // what is typed stays as typed
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->addItems(ItemsOf(entry.name));
        combo->setCurrentIndex(-1);  // empty text, no item selected
        combo->setMaxVisibleItems(15);
        // The list may be wider than the box, so that annotated items show whole.
        combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 8);
        widget = combo;
        break;
      }
      case WidgetKind::Slider: {
        auto* slider = new QSlider(Qt::Horizontal, parent);
        slider->setRange(0, 100);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setTickInterval(10);
        slider->setPageStep(10);
        widget = slider;
        break;
      }
      case WidgetKind::Frame:
        widget = new QGroupBox(text, parent);
        break;
      case WidgetKind::Page:
        // Pages lie on top of each other: each one hides what is behind it.
        widget = new QGroupBox(text, parent);
        widget->setAutoFillBackground(true);
        break;
      case WidgetKind::Lamp:
        widget = new StatusLamp(parent);
        break;
      case WidgetKind::TabStrip: {
        TabStrip1_ = new QTabWidget(parent);
        for (const Tab& tab : kTabs) {
          const int index = TabStrip1_->addTab(new QWidget, tab.caption);
          TabStrip1_->setTabToolTip(index, tab.toolTip);
        }
        widget = TabStrip1_;
        break;
      }
    }
    widget->setObjectName(entry.name);
    widget->setGeometry(px(entry.place.left), px(entry.place.top), px(entry.place.width),
                        px(entry.place.height));
    widget->setFont((entry.flags & kLarge) ? large : (entry.flags & kBold) ? bold : plain);
    if (entry.flags & kHidden) widget->setVisible(false);
    if (entry.flags & kDisabled) widget->setEnabled(false);
    if (entry.toolTip != nullptr) {
      widget->setToolTip(entry.toolTip);
      widget->setAccessibleDescription(entry.toolTip);
    }
    if (entry.helpContext != 0) widget->setProperty(kHelpContextProperty, entry.helpContext);
    made[entry.name] = widget;
  }

  // The label as the control's buddy gives it its name on every platform; on Linux it is the
  // only thing that names a combo box, whose own name there is its text. A label names one
  // control; a second one it captions gets the caption as its name.
  for (const ControlLabel& pair : InputControlLabels()) {
    auto* label = static_cast<QLabel*>(made.at(pair.label));
    QWidget* input = made.at(pair.control);
    if (label->buddy() == nullptr) {
      label->setBuddy(input);
    } else {
      input->setAccessibleName(label->text());
    }
  }
}

void frmMain::TabStrip1_Click(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(kTabs))) return;
  for (int i = 0; i < static_cast<int>(std::size(kTabs)); ++i) {
    control(kTabs[i].page)->setVisible(i == index);
  }
  control("fraVtrim")->setVisible(false);
}

void frmMain::BringPageToFront(QWidget* control) {
  for (int i = 0; i < static_cast<int>(std::size(kTabs)); ++i) {
    QWidget* page = this->control(kTabs[i].page);
    for (QWidget* w = control; w != nullptr; w = w->parentWidget()) {
      if (w == page) {
        if (!page->isVisible()) TabStrip1_->setCurrentIndex(i);
        return;
      }
    }
  }
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == TabStrip1_->tabBar() && event->type() == QEvent::Shortcut) {
    const bool handled = watched->event(event);  // selects the tab of the access key
    TabStrip1_Click(TabStrip1_->currentIndex());
    return handled;
  }
  return QWidget::eventFilter(watched, event);
}

QString frmMain::HelpFilePath() {
  const QDir programDir(QApplication::applicationDirPath());
  const QString besideProgram = programDir.filePath(kHelpFileName);
  if (QFileInfo::exists(besideProgram)) return besideProgram;
#ifdef Q_OS_MACOS
  // In the app bundle the program is Contents/MacOS/vexaro-link, the help in Contents/Resources.
  const QString inBundle =
      QDir::cleanPath(programDir.filePath(QString("../Resources/") + kHelpFileName));
  if (QFileInfo::exists(inBundle)) return inBundle;
#endif
  const QString installed = QDir(VEXARO_HELP_DIR).filePath(kHelpFileName);
  return QFileInfo::exists(installed) ? installed : besideProgram;
}

void frmMain::cmdHelp_Click() {
  dialogs_.ShowHelp(HelpFilePath(), kOverviewTopic);
}

void frmMain::ShowContextHelp() {
  int context = kOverviewTopic;
  for (QWidget* w = QApplication::focusWidget(); w != nullptr && w != this; w = w->parentWidget()) {
    if (const QVariant value = w->property(kHelpContextProperty); value.isValid()) {
      context = value.toInt();
      break;
    }
  }
  dialogs_.ShowHelp(HelpFilePath(), context);
}

void frmMain::cmdExit_Click() {
  close();
}

void frmMain::closeEvent(QCloseEvent* event) {
  // Form_Unload: never cancelled; the program ends with it.
  event->accept();
  if (unloaded_) return;
  unloaded_ = true;
  Timer1_->stop();
  usb_.CloseDeviceHandles();
  emit unloaded();
}

void frmMain::Timer1_Timer() {
  Timer1_->stop();
  if (link_.DeviceDetected) {
    if (usb_.PlainTransfer({command::kStatusPoll}) != kAcknowledge) {
      close();
      return;
    }
  } else if (usb_.FindDevice()) {
    settings_->ReadDeviceSettings();
  } else {
    ShowSearching();
  }
  if (!unloaded_) Timer1_->start();
}

namespace {
// The controls that talk to the device, off while there is none (V. Trim comes back with the
// calibration switch when the settings have been read).
constexpr const char* kDeviceControls[] = {"cmdBeep",    "cmdSend",   "cmdPlay", "cmdLoad",
                                           "cmdDefTune", "cmdReadAD", "cboVtrim"};
}  // namespace

void frmMain::ShowConnected() {
  for (const char* name : kDeviceControls) control(name)->setEnabled(true);
  control<StatusLamp>("shpStatus")->setFillColor(QColor(0, 255, 0));
  auto* status = control<QLabel>("lblConStatus");
  status->setText("Device Connected");
  status->setToolTip(QString::fromStdString(link_.DevicePath));
  control<QLabel>("lblVersion")->setText("Version ");
}

void frmMain::ShowSearching() {
  for (const char* name : kDeviceControls) control(name)->setEnabled(false);
  control("cmdVtrim")->setEnabled(false);
  control<StatusLamp>("shpStatus")->setFillColor(QColor(255, 0, 0));
  control<QLabel>("lblVersion")->clear();
  auto* status = control<QLabel>("lblConStatus");
  if (!link_.NoAccessPath.empty()) {
    status->setText("No Access to Device");
#ifdef Q_OS_LINUX
    status->setToolTip(
        QString("This user may not open %1. Install the udev rule that "
                "'vexaro --print-udev-rules' prints (see the README: Using a real device on "
                "Linux), then plug the device in again.")
            .arg(QString::fromStdString(link_.NoAccessPath)));
#else
    status->setToolTip(QString("Another program holds %1 open. Close that program; the "
                               "connection follows within a second.")
                           .arg(QString::fromStdString(link_.NoAccessPath)));
#endif
  } else {
    // A device that is there but cannot be used, or no HID service at all, is not "not found".
    status->setText("Device Disconnected");
    if (!link_.ServiceFailure.empty()) {
      status->setToolTip(QString("The HID service could not be started (%1), so no device can be "
                                 "found.")
                             .arg(QString::fromStdString(link_.ServiceFailure)));
    } else if (!link_.UnusablePath.empty()) {
      status->setToolTip(QString("The Vexaro at %1 cannot be used: %2.")
                             .arg(QString::fromStdString(link_.UnusablePath),
                                  QString::fromStdString(link_.UnusableReason)));
    } else {
      status->setToolTip({});
    }
  }
}

void frmMain::SetPollTimer(bool enabled) {
  if (enabled && !unloaded_) {
    Timer1_->start();
  } else {
    Timer1_->stop();
  }
}

void frmMain::ProcessEvents() {
  QApplication::processEvents();
}

void frmMain::EndProgram() {
  close();
}

}  // namespace vexaro
