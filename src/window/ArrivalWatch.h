#pragma once
// Wakes the window when the system tells of a Vexaro arriving, so that it searches at once rather
// than at its next tick. Notices of other devices are passed by on their IDs; a burst of ours
// costs one search per kNoticeSearchSpacing; a search refused for permission (udev may not have applied the
// access rule yet) is tried again twice. The window's 1 s tick stays the poll and the fallback.
// The notices come through a descriptor (Linux, macOS) or as the window's own messages (Windows).

#include <QAbstractNativeEventFilter>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

#include "link/DeviceNotices.h"
#include "link/TrafficTrace.h"

class QSocketNotifier;
class QWidget;

namespace vexaro {

class ArrivalWatch final : public QObject, public QAbstractNativeEventFilter {
 public:
  // Starts `notices` for `window`, its parent; one that cannot start is one "hid: ..." trace line,
  // and nothing more comes. `search` runs the window's search when it may (not during a transfer
  // or another search) and says whether the device found was refused for permission.
  ArrivalWatch(DeviceNotices& notices, TrafficTrace& trace, std::function<bool()> search,
               QWidget* window);
  // Stops the notices: the window is closing.
  ~ArrivalWatch() override;
  ArrivalWatch(const ArrivalWatch&) = delete;
  ArrivalWatch& operator=(const ArrivalWatch&) = delete;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

  // After a refusal for permission, the searches tried again, counted from the refusal.
  static constexpr std::chrono::milliseconds kRetries[] = {std::chrono::milliseconds{100},
                                                            std::chrono::milliseconds{300}};

 private:
  void take();
  void ask();  // a search, now or once kNoticeSearchSpacing has passed since the last

  DeviceNotices& notices_;
  std::function<bool()> search_;
  QSocketNotifier* readable_ = nullptr;
  QTimer spaced_;  // single shot: the search a burst of notices waits for
  QTimer retry_;   // single shot: the next try after a refusal
  QElapsedTimer sinceSearch_;
  int retries_ = 0;  // tries done since a search was refused for permission
};

}  // namespace vexaro
