#pragma once
// File names travel through both programs as UTF-8 on every platform. A std::string becomes a
// path in the system's narrow encoding, which on Windows is the ANSI code page and cannot hold
// most letters; a UTF-8 string becomes a path that names the same file everywhere.

#include <filesystem>
#include <string>
#include <string_view>

namespace vexaro {

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace vexaro
