#include "simulator/SimulatedStoreFile.h"

#include <optional>
#include <sstream>

#include "common/QuotedText.h"
#include "storage/FileAccess.h"

namespace vexaro {

namespace {

Failure CannotWrite(const std::string& path, const std::string& reason) {
  return Failure{"Cannot write the simulated device file " + QuotedText(path) + ": " + reason +
                 "."};
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Result<DeviceStore> LoadStoreFile(const std::string& path) {
  std::string text;
  if (const std::optional<FileProblem> problem = ReadFileText(path, text)) {
    if (problem->reason != file_texts::kNoSuchFile) {
      return Failure{"Cannot read the simulated device file " + QuotedText(path) + ": " +
                     problem->reason + "."};
    }
    const DeviceStore factory = FactoryStore();
    if (const Result<void> saved = SaveStoreFile(path, factory); !saved) {
      return Failure{saved.why()};
    }
    return factory;
  }

  std::istringstream in(text);
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

  if (const std::optional<FileProblem> problem = PutFileText(path, text.str())) {
    return CannotWrite(path, problem->reason);
  }
  return {};
}

Result<void> CheckStoreFileWritable(const std::string& path) {
  if (const std::optional<FileProblem> problem = CheckFileReplaceable(path)) {
    return CannotWrite(path, problem->reason);
  }
  return {};
}

}  // namespace vexaro
