// The real HID platform is built into every binary; here it meets the machine's real HID service.

#include <gtest/gtest.h>

#include <set>

#include "link/hidapi/HidapiPlatform.h"

namespace vexaro {
namespace {

TEST(HidapiPlatform, EnumeratesWhateverThisMachineHas) {
  const auto platform = MakeHidapiPlatform();
  const auto interfaces = platform->enumerate();  // often none on a build machine
  std::set<std::string> paths;
  for (const HidInterfaceInfo& info : interfaces) {
    EXPECT_FALSE(info.path.empty());
    paths.insert(info.path);
  }
  EXPECT_EQ(paths.size(), interfaces.size());
  // A second platform in the same process (hidapi initialised twice) enumerates the same.
  EXPECT_EQ(MakeHidapiPlatform()->enumerate().size(), interfaces.size());
}

}  // namespace
}  // namespace vexaro
