#include "link/ReportDescriptor.h"

#include <algorithm>
#include <cstddef>
#include <map>
#include <vector>

namespace vexaro {
namespace {

// Reports longer than this are clamped; no real device comes close, and it keeps the
// "+1 for the report ID" result comfortably inside an int.
constexpr std::uint64_t kMaxReportBytes = 65535;
constexpr std::uint64_t kMaxReportBits = kMaxReportBytes * 8;
// Report IDs are one byte on the wire; 0 is reserved for unnumbered reports.
constexpr std::uint32_t kMaxReportId = 255;
// Nesting limit for Push, so a hostile descriptor cannot grow the stack without bound.
constexpr std::size_t kMaxPushDepth = 32;

constexpr std::uint8_t kLongItemPrefix = 0xFE;

enum ItemType : std::uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };

// Tags, already combined with their item type as (tag << 2) | type.
enum ItemKey : std::uint8_t {
  kInput = (8 << 2) | kMain,
  kOutput = (9 << 2) | kMain,
  kReportSize = (7 << 2) | kGlobal,
  kReportId = (8 << 2) | kGlobal,
  kReportCount = (9 << 2) | kGlobal,
  kPush = (10 << 2) | kGlobal,
  kPop = (11 << 2) | kGlobal,
};

struct GlobalState {
  std::uint32_t reportSize = 0;
  std::uint32_t reportCount = 0;
  std::uint32_t reportId = 0;
};

// Accumulated bits per report ID; ID 0 stands for the single unnumbered report.
using ReportBits = std::map<std::uint32_t, std::uint64_t>;

void AddBits(ReportBits& reports, const GlobalState& state) {
  // Both factors are 32-bit, so the product fits in 64 bits; clamp before adding.
  const std::uint64_t bits =
      std::min<std::uint64_t>(std::uint64_t{state.reportSize} * state.reportCount, kMaxReportBits);
  std::uint64_t& total = reports[state.reportId];
  total = std::min(total + bits, kMaxReportBits);
}

// Largest report in bytes plus the leading report ID byte, or 0 without any report.
int TransferLength(const ReportBits& reports) {
  if (reports.empty()) return 0;
  std::uint64_t largestBits = 0;
  for (const auto& [id, bits] : reports) largestBits = std::max(largestBits, bits);
  return static_cast<int>((largestBits + 7) / 8 + 1);
}

}  // namespace

std::optional<ReportLengths> ParseReportDescriptor(std::span<const std::uint8_t> descriptor) {
  GlobalState state;
  std::vector<GlobalState> stack;
  ReportBits inputs;
  ReportBits outputs;
  bool numbered = false;

  std::size_t pos = 0;
  while (pos < descriptor.size()) {
    const std::uint8_t prefix = descriptor[pos];
    const std::size_t remaining = descriptor.size() - pos - 1;

    if (prefix == kLongItemPrefix) {
      // Long item: size byte, tag byte, then data. Nothing we use is ever encoded this way.
      if (remaining < 2 || remaining - 2 < descriptor[pos + 1]) return std::nullopt;
      pos += 3 + descriptor[pos + 1];
      continue;
    }

    const std::size_t sizeCode = prefix & 0x03;
    const std::size_t dataSize = sizeCode == 3 ? 4 : sizeCode;
    if (remaining < dataSize) return std::nullopt;
    std::uint32_t data = 0;
    for (std::size_t i = 0; i < dataSize; ++i) {
      data |= std::uint32_t{descriptor[pos + 1 + i]} << (8 * i);
    }
    pos += 1 + dataSize;

    switch (prefix >> 2) {
      case kInput:
        AddBits(inputs, state);
        break;
      case kOutput:
        AddBits(outputs, state);
        break;
      case kReportSize:
        state.reportSize = data;
        break;
      case kReportCount:
        state.reportCount = data;
        break;
      case kReportId:
        if (data == 0 || data > kMaxReportId) return std::nullopt;
        state.reportId = data;
        numbered = true;
        break;
      case kPush:
        if (stack.size() >= kMaxPushDepth) return std::nullopt;
        stack.push_back(state);
        break;
      case kPop:
        if (stack.empty()) return std::nullopt;
        state = stack.back();
        stack.pop_back();
        break;
      default:
        break;  // Feature, collections, local items and unknown tags change no length.
    }
  }

  ReportLengths lengths{TransferLength(inputs), TransferLength(outputs), numbered};
  if (!outputs.empty()) lengths.outputId = static_cast<std::uint8_t>(outputs.begin()->first);
  lengths.outputReports = static_cast<int>(outputs.size());
  for (const auto& [id, bits] : inputs) {
    if (id != lengths.outputId) lengths.inputIdsDiffer = true;
  }
  return lengths;
}

}  // namespace vexaro
