#include "link/DeviceNotices.h"

#include <thread>

#include "link/DeviceContract.h"

namespace vexaro {
namespace {

class NoDeviceNotices final : public DeviceNotices {
 public:
  explicit NoDeviceNotices(std::string why) : why_(std::move(why)) {}
  std::string start() override { return why_; }
  std::vector<DeviceNotice> wait(std::chrono::milliseconds limit) override {
    std::this_thread::sleep_for(limit);
    return {};
  }

 private:
  std::string why_;
};

}  // namespace

bool MayBeVexaro(const DeviceNotice& notice) {
  return notice.vendorId.value_or(kVexaroVendorId) == kVexaroVendorId &&
         notice.productId.value_or(kVexaroProductId) == kVexaroProductId;
}

std::unique_ptr<DeviceNotices> MakeNoDeviceNotices(std::string why) {
  return std::make_unique<NoDeviceNotices>(std::move(why));
}

}  // namespace vexaro
