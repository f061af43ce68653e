#include "window/ArrivalWatch.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <iterator>
#include <string>
#include <utility>

namespace vexaro {

ArrivalWatch::ArrivalWatch(DeviceNotices& notices, TrafficTrace& trace,
                           std::function<bool()> search, QWidget* window)
    : QObject(window), notices_(notices), search_(std::move(search)) {
  spaced_.setSingleShot(true);
  retry_.setSingleShot(true);
  connect(&spaced_, &QTimer::timeout, this, [this] { ask(); });
  connect(&retry_, &QTimer::timeout, this, [this] {
    ++retries_;
    ask();
  });
  notices_.sendTo(static_cast<std::uintptr_t>(window->winId()));
  if (const std::string why = notices_.start(); !why.empty()) {
    trace.note("no device notices, so the device is looked for every second: " + why);
    return;
  }
  if (notices_.descriptor() >= 0) {
    readable_ = new QSocketNotifier(notices_.descriptor(), QSocketNotifier::Read, this);
    connect(readable_, &QSocketNotifier::activated, this, [this] { take(); });
  } else {
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
}

ArrivalWatch::~ArrivalWatch() {
  notices_.stop();
}

bool ArrivalWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  // The search waits for the event loop: the message may have been sent in the middle of
  // anything, even a transfer's wait.
  if (eventType == "windows_generic_MSG" && notices_.offer(message)) {
    QMetaObject::invokeMethod(this, &ArrivalWatch::take, Qt::QueuedConnection);
  }
  return false;  // the window sees the message as well
}

void ArrivalWatch::take() {
  bool ours = false;
  for (const DeviceNotice& notice : notices_.wait(std::chrono::milliseconds{0})) {
    ours = ours || (notice.arrived && MayBeVexaro(notice));
  }
  if (!ours) return;
  retries_ = 0;  // a new arrival has tries of its own
  retry_.stop();
  ask();
}

void ArrivalWatch::ask() {
  if (spaced_.isActive()) return;  // the burst's search is due already
  if (sinceSearch_.isValid() && sinceSearch_.elapsed() < kNoticeSearchSpacing.count()) {
    spaced_.start(kNoticeSearchSpacing - std::chrono::milliseconds(sinceSearch_.elapsed()));
    return;
  }
  sinceSearch_.start();
  if (!search_() || retries_ >= static_cast<int>(std::size(kRetries))) {
    retries_ = 0;  // found, nothing there, or left to the tick
    return;
  }
  const std::chrono::milliseconds done = retries_ == 0 ? std::chrono::milliseconds{0}
                                                       : kRetries[retries_ - 1];
  retry_.start(kRetries[retries_] - done);
}

}  // namespace vexaro
