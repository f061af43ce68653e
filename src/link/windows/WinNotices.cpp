#include "link/windows/WinNotices.h"

// clang-format off
#include <windows.h>
#include <dbt.h>
extern "C" {
#include <hidsdi.h>
}
// clang-format on

#include <cwchar>
#include <deque>
#include <utility>

#include "link/windows/WinHidReports.h"
#include "link/windows/WinText.h"

namespace vexaro {
namespace {

constexpr wchar_t kWindowClass[] = L"VexaroDeviceNotices";

class Notices final : public WinNotices {
 public:
  Notices() = default;
  ~Notices() override {
    stop();
    if (own_ != nullptr) DestroyWindow(own_);
  }
  Notices(const Notices&) = delete;
  Notices& operator=(const Notices&) = delete;

  void sendTo(std::uintptr_t window) override { window_ = reinterpret_cast<HWND>(window); }

  std::string start() override {
    if (window_ == nullptr) {
      own_ = MakeOwnWindow();
      if (own_ == nullptr) {
        return "no window for device notices could be made (error " +
               std::to_string(GetLastError()) + ").";
      }
      SetWindowLongPtrW(own_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
      window_ = own_;
    }
    DEV_BROADCAST_DEVICEINTERFACE_W filter{};
    filter.dbcc_size = sizeof filter;
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    HidD_GetHidGuid(&filter.dbcc_classguid);
    registration_ = RegisterDeviceNotificationW(window_, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    if (registration_ == nullptr) {
      return "Windows would not send device notices (error " + std::to_string(GetLastError()) +
             ").";
    }
    return {};
  }

  bool offer(const void* message) override {
    const MSG& msg = *static_cast<const MSG*>(message);
    return registration_ != nullptr && msg.hwnd == window_ && msg.message == WM_DEVICECHANGE &&
           take(msg.wParam, msg.lParam);
  }

  std::vector<DeviceNotice> wait(std::chrono::milliseconds limit) override {
    // The program's own window gets its messages here; a program's window, in its event loop.
    const auto end = std::chrono::steady_clock::now() + limit;
    while (own_ != nullptr && waiting_.empty()) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      if (!waiting_.empty() || left.count() <= 0) break;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    }
    std::vector<DeviceNotice> taken(waiting_.begin(), waiting_.end());
    waiting_.clear();
    return taken;
  }

  void stop() override {
    if (registration_ != nullptr) UnregisterDeviceNotification(registration_);
    registration_ = nullptr;
  }

  bool registered() const override { return registration_ != nullptr; }

 private:
  static HWND MakeOwnWindow() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Receive;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when a second source registered it
    return CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           windowClass.hInstance, nullptr);
  }

  static LRESULT CALLBACK Receive(HWND window, UINT message, WPARAM event, LPARAM data) {
    auto* self = reinterpret_cast<Notices*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_DEVICECHANGE && self != nullptr && self->take(event, data)) return TRUE;
    return DefWindowProcW(window, message, event, data);
  }

  // A WM_DEVICECHANGE: true when it was an interface arriving or leaving, now waiting. The IDs
  // come from the interface's path; nothing is opened.
  bool take(WPARAM event, LPARAM data) {
    if (event != DBT_DEVICEARRIVAL && event != DBT_DEVICEREMOVECOMPLETE) return false;
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_DEVICEINTERFACE ||
        header->dbch_size < sizeof(DEV_BROADCAST_DEVICEINTERFACE_W)) {
      return false;
    }
    const auto* device = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(data);
    // The name fills the rest of the record, ended by a zero within it.
    const std::size_t room =
        (header->dbch_size - offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name)) /
        sizeof(wchar_t);
    DeviceNotice notice;
    notice.arrived = event == DBT_DEVICEARRIVAL;
    const std::wstring_view name(device->dbcc_name, wcsnlen(device->dbcc_name, room));
    if (const auto ids = winhid::IdsInPath(Utf8FromWide(name))) {
      notice.vendorId = ids->first;
      notice.productId = ids->second;
    }
    waiting_.push_back(notice);
    return true;
  }

  HWND window_ = nullptr;
  HWND own_ = nullptr;
  HDEVNOTIFY registration_ = nullptr;
  std::deque<DeviceNotice> waiting_;
};

}  // namespace

std::unique_ptr<WinNotices> MakeWinNotices() {
  return std::make_unique<Notices>();
}

}  // namespace vexaro
