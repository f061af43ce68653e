#pragma once
// Files the tests write, in a folder of this test process alone (test programs of several builds
// run side by side on one machine), removed when the process ends.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace vexaro {

inline const std::filesystem::path& TestFolder() {
  static const struct Folder {
    std::filesystem::path path = std::filesystem::path(::testing::TempDir()) /
                                 ("vexaro-test-" + std::to_string(std::random_device{}()));
    Folder() { std::filesystem::create_directories(path); }
    ~Folder() { std::filesystem::remove_all(path, ignored); }
    std::error_code ignored;
  } folder;
  return folder.path;
}

// The path of `name` in the folder, holding `contents`.
inline std::string TestFile(const std::string& name, const std::string& contents) {
  const std::string path = (TestFolder() / name).string();
  std::ofstream(path, std::ios::binary) << contents;
  return path;
}

inline std::string ReadTestFile(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

}  // namespace vexaro
