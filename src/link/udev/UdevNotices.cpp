#include "link/udev/UdevNotices.h"

#include <libudev.h>
#include <poll.h>

#include <cstdio>
#include <cstring>

namespace vexaro {
namespace {

// The IDs of a hidraw interface, from its hid parent's HID_ID ("0003:000004D8:000047A1": bus,
// vendor, product). Read from the event and sysfs only: nothing is opened. A device that has
// left may have no parent any more: then the IDs stay unknown.
void ReadIds(udev_device* hidraw, DeviceNotice& notice) {
  udev_device* parent = udev_device_get_parent_with_subsystem_devtype(hidraw, "hid", nullptr);
  const char* id = parent != nullptr ? udev_device_get_property_value(parent, "HID_ID") : nullptr;
  unsigned bus = 0;
  unsigned vendor = 0;
  unsigned product = 0;
  if (id != nullptr && std::sscanf(id, "%x:%x:%x", &bus, &vendor, &product) == 3 &&
      vendor <= 0xFFFF && product <= 0xFFFF) {
    notice.vendorId = static_cast<std::uint16_t>(vendor);
    notice.productId = static_cast<std::uint16_t>(product);
  }
}

class UdevNotices final : public DeviceNotices {
 public:
  UdevNotices() = default;
  ~UdevNotices() override {
    if (monitor_ != nullptr) udev_monitor_unref(monitor_);
    if (udev_ != nullptr) udev_unref(udev_);
  }

  std::string start() override {
    udev_ = udev_new();
    if (udev_ == nullptr) return "udev is not available here.";
    monitor_ = udev_monitor_new_from_netlink(udev_, "udev");
    if (monitor_ == nullptr ||
        udev_monitor_filter_add_match_subsystem_devtype(monitor_, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(monitor_) < 0) {
      if (monitor_ != nullptr) udev_monitor_unref(monitor_);
      monitor_ = nullptr;
      return "the udev monitor could not be started.";
    }
    return {};
  }

  int descriptor() const override {
    return monitor_ != nullptr ? udev_monitor_get_fd(monitor_) : -1;
  }

  std::vector<DeviceNotice> wait(std::chrono::milliseconds limit) override {
    std::vector<DeviceNotice> notices;
    pollfd watched{descriptor(), POLLIN, 0};
    if (watched.fd < 0 || poll(&watched, 1, static_cast<int>(limit.count())) <= 0) return notices;
    // The monitor's socket does not block: every event waiting is taken.
    while (udev_device* device = udev_monitor_receive_device(monitor_)) {
      const char* action = udev_device_get_action(device);
      if (action != nullptr &&
          (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0)) {
        DeviceNotice notice;
        notice.arrived = std::strcmp(action, "add") == 0;
        ReadIds(device, notice);
        notices.push_back(notice);
      }
      udev_device_unref(device);
    }
    return notices;
  }

 private:
  udev* udev_ = nullptr;
  udev_monitor* monitor_ = nullptr;
};

}  // namespace

std::unique_ptr<DeviceNotices> MakeUdevNotices() {
  return std::make_unique<UdevNotices>();
}

}  // namespace vexaro
