#include "window/frmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

#include "link/DeviceContract.h"
#include "window/ArrivalWatch.h"
#include "window/BackupButtons.h"
#include "window/CalibrationPage.h"
#include "window/MelodyPage.h"
#include "window/SettingsPage.h"
#include "window/TransferLock.h"
#include "window/Widgets.h"

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
constexpr int kOverviewTopic = 900;

// The window is designed for an 8 pt font; its places hold with the desktop's font family at
// that size.
constexpr int kFontPointSize = 8;

}  // namespace

frmMain::frmMain(ApiUSBRoutines& usb, const LinkState& link, DeviceSettings& settings,
                 Dialogs& dialogs, SoundOutput& sound, QWidget* parent)
    : QWidget(parent), usb_(usb), link_(link), dialogs_(dialogs), exchange_(usb, *this) {
  setObjectName("frmMain");
  setWindowTitle("Vexaro  -  Version 3.0");
  InitWindowResources();
#ifdef Q_OS_WIN
  // The Qt this program ships with on Windows has no SVG support: the same picture in six sizes.
  setWindowIcon(QIcon(":/org.vexaro.usblink.ico"));
#else
  setWindowIcon(QIcon(":/org.vexaro.usblink.svg"));
#endif
  QFont font = QApplication::font();
  font.setPointSize(kFontPointSize);
  setFont(font);
  controls_ = BuildControls(*this);
  settingsPage_ =
      std::make_unique<SettingsPage>(controls_, usb_, link_, exchange_, dialogs_, settings);
  melodyPage_ = std::make_unique<MelodyPage>(controls_, usb_, exchange_, dialogs_, sound);
  calibrationPage_ = std::make_unique<CalibrationPage>(controls_, usb_, exchange_, dialogs_);
  backupButtons_ = std::make_unique<BackupButtons>(
      controls_, usb_, *this, dialogs_,
      [this] {
        controls_.lblVersion->setText("Version ");
        settingsPage_->ReadDeviceSettings();
      },
      // The device was lost in a backup or a restore: searched for at once, as the tick would.
      [this] {
        if (!unloaded_) Timer1_Timer();
      });

  auto* help = new QShortcut(QKeySequence::HelpContents, this);
  connect(help, &QShortcut::activated, this, &frmMain::showContextHelp);
  connect(controls_.cmdHelp, &QPushButton::clicked, this, &frmMain::cmdHelp_Click);
  connect(controls_.cmdExit, &QPushButton::clicked, this, &frmMain::cmdExit_Click);
  QTabWidget* tabs = controls_.TabStrip1;
  connect(tabs->tabBar(), &QTabBar::tabBarClicked, this, &frmMain::TabStrip1_Click);
  connect(tabs, &QTabWidget::currentChanged, this, &frmMain::TabStrip1_Click);
  // An access key of the tab that is already selected chooses it again.
  tabs->tabBar()->installEventFilter(this);

  worker_ = std::make_unique<TransferWorker>();
  usb_.setWaiter([this](const std::function<void()>& call) { waitResponsively(call); });

  // Form_Load: the basic settings in front, no device detected yet.
  TabStrip1_Click(0);
  usb_.forgetDevice();

  Timer1_ = new QTimer(this);
  Timer1_->setObjectName("Timer1");
  Timer1_->setInterval(kTickInterval);
  connect(Timer1_, &QTimer::timeout, this, &frmMain::Timer1_Timer);
  Timer1_->start();
}

// One thread for the window's lifetime carries every write and read, so that a transfer costs two
// hand-overs rather than a thread's start and end (slow on some systems: under Wine a thread a
// transfer made the fault tests take minutes).
class frmMain::TransferWorker {
 public:
  TransferWorker() : thread_([this] { run(); }) {}
  ~TransferWorker() {
    {
      const std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  TransferWorker(const TransferWorker&) = delete;
  TransferWorker& operator=(const TransferWorker&) = delete;

  // Runs `call` on the worker, then `ended` there too. The caller keeps `call` until it has ended.
  void start(const std::function<void()>& call, std::function<void()> ended) {
    {
      const std::lock_guard lock(mutex_);
      job_ = &call;
      ended_ = std::move(ended);
      failure_ = nullptr;
    }
    changed_.notify_all();
  }
  // Whether the call has ended within `limit`.
  bool endsWithin(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return job_ == nullptr; });
  }
  // Waits for the call's end; returns what it threw, if anything.
  std::exception_ptr waitForEnd() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return job_ == nullptr; });
    return std::exchange(failure_, nullptr);
  }

 private:
  void run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stop_ || job_ != nullptr; });
      if (stop_) return;
      const std::function<void()>* job = job_;
      std::function<void()> ended = std::move(ended_);
      lock.unlock();
      // Thrown here, it would end the program: it goes to the caller on the window's thread.
      std::exception_ptr failure;
      try {
        (*job)();
      } catch (...) {
        failure = std::current_exception();
      }
      ended();  // before the end is told: the caller's objects that `ended` uses live until then
      lock.lock();
      failure_ = std::move(failure);
      job_ = nullptr;
      changed_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  const std::function<void()>* job_ = nullptr;
  std::function<void()> ended_;
  std::exception_ptr failure_;
  bool stop_ = false;
  std::thread thread_;  // last: starts once the rest is there
};

frmMain::~frmMain() {
  usb_.setWaiter({});
}

void frmMain::waitResponsively(const std::function<void()>& call) {
  // Run now, it would come between the waiting transfer's write and read and take its reply. It
  // cannot wait for that transfer's sequence either: the sequence goes on only once this returns.
  if (waiting_) throw TransferRefused();
  QEventLoop loop;
  worker_->start(call, [&loop] {
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  std::exception_ptr failure;
  {
    // However the wait ends (the transfer ends, the program quits, a handler run meanwhile
    // throws), the worker is done with `call` and `loop` before they go.
    const auto ended = qScopeGuard([&] {
      failure = worker_->waitForEnd();
      // A window closed meanwhile closes the handles once no transfer uses them.
      if (unloaded_) usb_.CloseDeviceHandles();
    });
    if (!worker_->endsWithin(kQuietWait)) {
      const TransferLock lock(controls_);
      const QScopedValueRollback waiting(waiting_, true);
      loop.exec();  // returns early when the program quits
    }
  }
  if (failure) std::rethrow_exception(failure);
}

void frmMain::TabStrip1_Click(int index) {
  const auto& pages = controls_.tabPages;
  if (index < 0 || index >= static_cast<int>(pages.size())) return;
  for (int i = 0; i < static_cast<int>(pages.size()); ++i) pages[i]->setVisible(i == index);
  controls_.fraVtrim->setVisible(false);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
  QTabWidget* tabs = controls_.TabStrip1;
  if (watched == tabs->tabBar() && event->type() == QEvent::Shortcut) {
    const bool handled = watched->event(event);  // selects the tab of the access key
    TabStrip1_Click(tabs->currentIndex());
    return handled;
  }
  return QWidget::eventFilter(watched, event);
}

QString frmMain::helpFilePath() {
  const QDir programDir(QApplication::applicationDirPath());
  const QString besideProgram = programDir.filePath(kHelpFileName);
  if (QFileInfo::exists(besideProgram)) return besideProgram;
#ifdef Q_OS_MACOS
  // In the app bundle the program is Contents/MacOS/vexaro-link, the help in Contents/Resources.
  const QString inBundle =
      QDir::cleanPath(programDir.filePath(QString("../Resources/") + kHelpFileName));
  if (QFileInfo::exists(inBundle)) return inBundle;
#endif
#ifdef Q_OS_WIN
  // Installed or unpacked, the help is beside the program; there is no shared data folder.
  return besideProgram;
#else
  const QString installed = QDir(VEXARO_HELP_DIR).filePath(kHelpFileName);
  return QFileInfo::exists(installed) ? installed : besideProgram;
#endif
}

void frmMain::cmdHelp_Click() {
  dialogs_.showHelp(helpFilePath(), kOverviewTopic);
}

void frmMain::showContextHelp() {
  int context = kOverviewTopic;
  for (QWidget* w = QApplication::focusWidget(); w != nullptr && w != this; w = w->parentWidget()) {
    if (const QVariant value = w->property(kHelpContextProperty); value.isValid()) {
      context = value.toInt();
      break;
    }
  }
  dialogs_.showHelp(helpFilePath(), context);
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
  delete arrivals_;  // no notice is wanted any more
  arrivals_ = nullptr;
  if (!waiting_) usb_.CloseDeviceHandles();  // else once the transfer has ended
  emit unloaded();
}

void frmMain::Timer1_Timer() {
  if (waiting_) return;  // a transfer waits: poll at the next tick
  Timer1_->stop();
  // Each tick is one exchange sequence. While another program holds the device, the tick is
  // skipped: the device is not lost, and the status says who has it.
  if (link_.DeviceDetected) {
    const DeviceHold hold = usb_.holdDevice();
    if (!hold) {
      showInUse(hold.refusal());
    } else if (usb_.plainTransfer({command::kStatusPoll}) != kAcknowledge) {
      close();
      return;
    } else if (inUse_) {
      showLinkUp();
    }
  } else {
    searchForDevice();
  }
  if (!unloaded_) Timer1_->start();
}

void frmMain::searchForDevice() {
  if (!usb_.FindDevice()) {
    showSearching();
    return;
  }
  const DeviceHold hold = usb_.holdDevice();
  if (!hold) {
    // Found again, and its settings read, at a tick when it is free.
    usb_.CloseDeviceHandles();
    usb_.forgetDevice();
    showSearching();
    showInUse(hold.refusal());
    return;
  }
  showConnected();
  if (settingsPage_->ReadDeviceSettings() && calibrationSwitch_) {
    controls_.cmdVtrim->setVisible(true);
    controls_.cmdVtrim->setEnabled(true);
  }
}

void frmMain::keepFromBackups(std::string file) {
  backupButtons_->keepFrom(std::move(file));
}

void frmMain::watchArrivals(DeviceNotices& notices, TrafficTrace& trace) {
  arrivals_ = new ArrivalWatch(notices, trace, [this] { return searchOnNotice(); }, this);
}

bool frmMain::searchOnNotice() {
  // The tick, and each exchange sequence, stop the timer while they run.
  if (unloaded_ || waiting_ || link_.DeviceDetected || !Timer1_->isActive() ||
      QApplication::activeModalWidget() != nullptr) {
    return false;
  }
  Timer1_->stop();
  searchForDevice();
  if (!unloaded_) Timer1_->start();
  return !link_.DeviceDetected && !link_.NoAccessPath.empty();
}

void frmMain::showConnected() {
  // V. Trim comes back with the calibration switch once the settings have been read.
  for (QWidget* control : controls_.transfer) {
    if (control != controls_.cmdVtrim) control->setEnabled(true);
  }
  showLinkUp();
  controls_.lblVersion->setText("Version ");
}

void frmMain::showLinkUp() {
  inUse_ = false;
  controls_.shpStatus->setFillColor(QColor(0, 255, 0));
  controls_.lblConStatus->setText("Device Connected");
  controls_.lblConStatus->setToolTip(QString::fromStdString(link_.DevicePath));
}

void frmMain::showInUse(const LockResult& refusal) {
  inUse_ = true;
  controls_.shpStatus->setFillColor(QColor(255, 255, 0));
  controls_.lblConStatus->setText("Device in Use");
  controls_.lblConStatus->setToolTip(
      refusal.busy ? QString("Another program is using %1; the window goes on once it has "
                             "finished.")
                         .arg(QString::fromStdString(refusal.name))
                   : QString::fromStdString(refusal.why));
}

void frmMain::showSearching() {
  inUse_ = false;
  for (QWidget* control : controls_.transfer) control->setEnabled(false);
  controls_.shpStatus->setFillColor(QColor(255, 0, 0));
  controls_.lblVersion->clear();
  QLabel* status = controls_.lblConStatus;
  if (!link_.NoAccessPath.empty()) {
    status->setText("No Access to Device");
    const QString path = QString::fromStdString(link_.NoAccessPath);
    const QString inUse = QString("Another program holds %1 open. Close that program; the "
                                  "connection follows within a second.")
                              .arg(path);
#if defined(Q_OS_LINUX)
    const QString denied =
        QString("This user may not open %1. Install the udev rule that "
                "'vexaro --print-udev-rules' prints (see the README: Using a real device on "
                "Linux), then plug the device in again.")
            .arg(path);
#elif defined(Q_OS_WIN)
    const QString denied = QString("Windows does not let this program open %1: it keeps the "
                                   "device to itself, or a policy forbids opening it.")
                               .arg(path);
#else
    const QString denied = inUse;  // macOS refuses only while another program holds it
#endif
    status->setToolTip(link_.NoAccessError == OpenError::InUse ? inUse : denied);
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

void frmMain::setPollTimer(bool enabled) {
  if (enabled && !unloaded_) {
    Timer1_->start();
  } else {
    Timer1_->stop();
  }
}

void frmMain::processEvents() {
  QApplication::processEvents();
}

void frmMain::endProgram() {
  close();
}

}  // namespace vexaro
