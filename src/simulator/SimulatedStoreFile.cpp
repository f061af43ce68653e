#include "simulator/SimulatedStoreFile.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/QuotedText.h"
#include "common/Utf8Path.h"

namespace vexaro {

namespace {

Failure CannotWrite(const std::string& path, const std::string& reason) {
  return Failure{"Cannot write the simulated device file " + QuotedText(path) + ": " + reason +
                 "."};
}

// The temporary file that a save writes before it takes the file's place.
std::string TemporaryOf(const std::string& path) {
  return path + ".new";
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Result<DeviceStore> LoadStoreFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::exists(PathFromUtf8(path), ec) && !ec) {
    const DeviceStore factory = FactoryStore();
    if (const Result<void> saved = SaveStoreFile(path, factory); !saved) {
      return Failure{saved.why()};
    }
    return factory;
  }

  // A folder would read as a file of no bytes, and a pipe would wait for a writer.
  const std::filesystem::file_status status = std::filesystem::status(PathFromUtf8(path), ec);
  if (std::filesystem::is_directory(status)) {
    return Failure{"Cannot read the simulated device file " + QuotedText(path) +
                   ": it is a folder, not a file."};
  }
  if (!ec && !std::filesystem::is_regular_file(status)) {
    return Failure{"Cannot read the simulated device file " + QuotedText(path) +
                   ": it is a device or a pipe, not a file."};
  }
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  if (!in) return Failure{"Cannot read the simulated device file " + QuotedText(path) + "."};

  DeviceStore store{};
  std::size_t count = 0;
  std::string line;
  for (int lineNumber = 1; std::getline(in, line); ++lineNumber) {
    if (const auto hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    for (std::string word; words >> word;) {
      const bool isByte = word.size() == 2 && HexDigit(word[0]) >= 0 && HexDigit(word[1]) >= 0;
      if (!isByte) {
        return Failure{QuotedText(path) + " line " + std::to_string(lineNumber) + ": " +
                       QuotedText(word) + " is not a two-digit hexadecimal byte."};
      }
      if (count == kStoreSize) {
        return Failure{QuotedText(path) + " holds more than " + std::to_string(kStoreSize) +
                       " bytes; the device store has exactly " + std::to_string(kStoreSize) + "."};
      }
      store[count++] = static_cast<std::uint8_t>(HexDigit(word[0]) * 16 + HexDigit(word[1]));
    }
  }
  if (count != kStoreSize) {
    return Failure{QuotedText(path) + " holds " + std::to_string(count) +
                   " bytes; the device store has exactly " + std::to_string(kStoreSize) + "."};
  }
  return store;
}

Result<void> SaveStoreFile(const std::string& path, const DeviceStore& store) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::ostringstream text;
  text << "# Memory of the simulated Vexaro: 128 bytes, addresses 0 to 127, 16 a line.\n"
          "# 0-27 settings (27 the voltage trim), 28-127 the melody.\n";
  for (std::size_t i = 0; i < store.size(); ++i) {
    text << kHex[store[i] >> 4] << kHex[store[i] & 0x0f];
    text << ((i % 16 == 15) ? "  # " + std::to_string(i - 15) + "-" + std::to_string(i) + "\n"
                            : " ");
  }

  const std::string temporary = TemporaryOf(path);
  std::error_code ignored;
  {
    std::ofstream out(PathFromUtf8(temporary), std::ios::binary | std::ios::trunc);
    if (!out) return CannotWrite(path, "no file can be made in its folder");
    if (!(out << text.str()) || !out.flush()) {
      out.close();
      std::filesystem::remove(PathFromUtf8(temporary), ignored);
      return CannotWrite(path, "writing " + QuotedText(temporary) + " failed");
    }
  }
  std::error_code ec;
  std::filesystem::rename(PathFromUtf8(temporary), PathFromUtf8(path), ec);
  if (ec) {
    std::filesystem::remove(PathFromUtf8(temporary), ignored);
    return CannotWrite(path, ec.message());
  }
  return {};
}

Result<void> CheckStoreFileWritable(const std::string& path) {
  namespace fs = std::filesystem;
  // A file nobody may write is one its owner wants left alone, even though root could write it
  // and the save, which replaces the file, would not be stopped by it.
  constexpr fs::perms kAnyWrite =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  std::error_code ec;
  const fs::file_status status = fs::status(PathFromUtf8(path), ec);
  if (!ec && (status.permissions() & kAnyWrite) == fs::perms::none) {
    return CannotWrite(path, "it is read-only");
  }
  if (!std::fstream(PathFromUtf8(path), std::ios::in | std::ios::out | std::ios::binary)) {
    return CannotWrite(path, "this user may not write it");
  }
  const std::string temporary = TemporaryOf(path);
  if (!std::ofstream(PathFromUtf8(temporary), std::ios::binary)) {
    return CannotWrite(path, "no file can be made in its folder");
  }
  fs::remove(PathFromUtf8(temporary), ec);
  return {};
}

}  // namespace vexaro
