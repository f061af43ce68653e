#pragma once
// A platform counting the searches made through it (each enumerates once): the last's start, finds.
#include <chrono>
#include <vector>

#include "link/HidPlatform.h"

namespace vexaro {

struct CountingPlatform final : HidPlatform {
  explicit CountingPlatform(HidPlatform& platform, bool opens = true)
      : platform(platform), opens(opens) {}
  std::vector<HidInterfaceInfo> enumerate() override {
    ++searches;
    searched = std::chrono::steady_clock::now();
    found = platform.enumerate();
    return found;
  }
  OpenResult open(const std::string& path) override {
    return opens ? platform.open(path) : OpenResult{};
  }

  HidPlatform& platform;
  bool opens;  // false refuses every open, so that a search ends at its enumeration
  int searches = 0;
  std::chrono::steady_clock::time_point searched;
  std::vector<HidInterfaceInfo> found;
};

}  // namespace vexaro
