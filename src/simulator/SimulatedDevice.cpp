#include "simulator/SimulatedDevice.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "calibration/Trim.h"
#include "melody/TuneImage.h"
#include "settings/FactoryDefaults.h"

namespace vexaro {

DeviceStore FactoryStore() {
  // Each part of the memory comes from the part of the program that owns its bytes.
  DeviceSettings device{};
  device[address::kVersion] = kFactoryFirmwareVersion;
  device[address::kRange] = 0;  // the 7 V range
  const DeviceSettings settings = FactorySettings(device);
  DeviceStore store{};
  std::copy_n(settings.begin(), kTrimAddress, store.begin());
  store[kTrimAddress] = *EncodeTrim(0);
  const TuneImage tune = DefaultTuneImage();
  std::copy(tune.begin(), tune.end(), store.begin() + kMelodyAddress);
  return store;
}

std::vector<std::uint8_t> VexaroReportDescriptor() {
  return {
      0x06, 0x00, 0xFF,  // Usage Page (vendor defined)
      0x09, 0x01,        // Usage (1)
      0xA1, 0x01,        // Collection (application)
      0x15, 0x00,        //   Logical Minimum (0)
      0x26, 0xFF, 0x00,  //   Logical Maximum (255)
      0x75, 0x08,        //   Report Size (8)
      0x95, 0x08,        //   Report Count (8)
      0x09, 0x01,        //   Usage (1)
      0x81, 0x02,        //   Input (data, variable, absolute)
      0x95, 0x08,        //   Report Count (8)
      0x09, 0x01,        //   Usage (1)
      0x91, 0x02,        //   Output (data, variable, absolute)
      0xC0,              // End Collection
  };
}

int SimulatedFirmware::adValue() const {
  // The trim scales the reading by (256 + trim) / 256, as the device's own estimate does.
  const std::uint8_t trimByte = store_[kTrimAddress];
  const int trim = trimByte <= 127 ? trimByte : -(trimByte - 128);
  const long scaled = std::lround(kAdAtNoTrim * (256.0 + trim) / 256.0);
  return static_cast<int>(std::clamp<long>(scaled, 0, 0x7fff));
}

void SimulatedFirmware::acknowledge() {
  for (std::size_t i = 0; i < faults_.busyBeforeAck; ++i) answer(kBusyReply);
  answer(kAcknowledge);
}

std::chrono::nanoseconds SimulatedFirmware::melodyDuration() const {
  // Each note is a pitch code (period in 8 us ticks, 0 for a pause) and a duration code (groups
  // of 16 periods; a pause is timed as a 1000 Hz tone, 16 ms a unit). Duration 0 ends the melody.
  std::chrono::nanoseconds total{0};
  for (std::size_t i = kMelodyAddress; i + 1 < kStoreSize; i += 2) {
    const std::uint8_t pitch = store_[i];
    const std::uint8_t duration = store_[i + 1];
    if (duration == 0) break;
    const std::int64_t periodNs = pitch == 0 ? 1'000'000 : std::int64_t{pitch} * 8'000;
    total += std::chrono::nanoseconds(std::int64_t{duration} * 16 * periodNs);
  }
  return total;
}

bool SimulatedFirmware::receive(std::span<const std::uint8_t> report) {
  if (unplugged_) return false;
  ++reportsReceived_;
  if (faults_.unplugAfter && reportsReceived_ > *faults_.unplugAfter) {
    unplugged_ = true;
    return false;
  }
  if (faults_.silentAtReport && reportsReceived_ == *faults_.silentAtReport) return true;

  const auto byteAt = [&](std::size_t i) -> std::uint8_t {
    return i < report.size() ? report[i] : 0;
  };
  const std::uint8_t command = byteAt(1);
  const std::uint8_t argument1 = byteAt(2);
  const std::uint8_t argument2 = byteAt(3);
  if (received_.size() == kReceivedLimit) received_.clear();  // a long demo run stays small
  received_.push_back({command, argument1, argument2});
  switch (command) {
    case command::kStatusPoll:
      answer(faults_.pollReply.value_or(kAcknowledge));
      break;
    case command::kReadByte:
      answer(argument1 < kStoreSize ? store_[argument1] : 0);
      break;
    case command::kStoreByte:
      if (argument1 < kStoreSize) store_[argument1] = argument2;
      acknowledge();
      break;
    case command::kAdHigh:
      answer(static_cast<std::uint8_t>(adValue() >> 8));
      break;
    case command::kAdLow:
      answer(static_cast<std::uint8_t>(adValue() & 0xff));
      break;
    case command::kBeep:
      acknowledge();
      break;
    case command::kPlay: {
      for (std::size_t i = 0; i < faults_.busyBeforeAck; ++i) answer(kBusyReply);
      const auto duration = melodyDuration();
      if (duration.count() == 0) {
        answer(kAcknowledge);
      } else {
        playing_ = true;
        playEnd_ = now_ + duration;
        nextBusy_ = now_ + kBusyInterval;
      }
      break;
    }
    case command::kStop:
      playing_ = false;
      acknowledge();
      break;
    default:
      break;  // the firmware ignores what it does not know
  }
  return true;
}

void SimulatedFirmware::waitUntil(std::chrono::nanoseconds when) {
  if (when <= now_) return;
  if (latency_.count() > 0) std::this_thread::sleep_for(when - now_);
  now_ = when;
}

ReadOutcome SimulatedFirmware::nextReply(std::uint8_t& reply, std::chrono::milliseconds limit) {
  ++readsServed_;
  if (faults_.failingRead && readsServed_ == *faults_.failingRead) return ReadOutcome::Failed;
  if (unplugged_) return ReadOutcome::Failed;

  if (!replies_.empty()) {
    waitUntil(now_ + latency_);
    reply = replies_.front();
    replies_.pop_front();
    return ReadOutcome::Completed;
  }
  if (playing_) {
    const auto next = std::min(nextBusy_, playEnd_);
    if (next - now_ > limit) {
      waitUntil(now_ + limit);
      return ReadOutcome::TimedOut;
    }
    waitUntil(next);
    if (now_ >= playEnd_) {
      playing_ = false;
      reply = kAcknowledge;
    } else {
      nextBusy_ += kBusyInterval;
      reply = kBusyReply;
    }
    return ReadOutcome::Completed;
  }
  // Nothing will ever come: the read would wait out its limit. Virtual time says so at once.
  now_ += limit;
  return ReadOutcome::TimedOut;
}

namespace {

class SimulatedHandle final : public HidDevice {
 public:
  SimulatedHandle(SimulatedPlatform::Interface& interface, SimulatedFirmware* firmware, int& closes)
      : interface_(interface), firmware_(firmware), closes_(closes) {
    if (const auto lengths = reportLengths()) reportId_ = lengths->outputId;
  }
  ~SimulatedHandle() override { ++closes_; }

  std::optional<ReportLengths> reportLengths() override {
    if (interface_.descriptor.empty()) return std::nullopt;
    return ParseReportDescriptor(interface_.descriptor);
  }

  // The firmware acts only on reports under its own output report ID (0 when unnumbered); any
  // other report reaches the device, which drops it.
  bool write(std::span<const std::uint8_t> report) override {
    if (firmware_ == nullptr) return true;
    if (!report.empty() && report[0] != reportId_) return !firmware_->unplugged();
    return firmware_->receive(report);
  }

  // A numbered device's replies carry the report ID that its commands go under.
  ReadOutcome read(std::span<std::uint8_t> report, std::chrono::milliseconds limit) override {
    if (firmware_ == nullptr) return ReadOutcome::TimedOut;  // another device: it never answers
    std::uint8_t reply = 0;
    const ReadOutcome outcome = firmware_->nextReply(reply, limit);
    if (outcome == ReadOutcome::Completed && !report.empty()) {
      std::fill(report.begin(), report.end(), 0);
      report[0] = reportId_;
      if (report.size() > 1) report[1] = reply;
    }
    return outcome;
  }

  // The replies still queued, without counting them as reads (the fault plans count reads).
  std::size_t dropWaitingReports(std::size_t, std::size_t) override {
    return firmware_ == nullptr ? 0 : firmware_->dropPendingReplies();
  }

  void cancel() override {}

 private:
  SimulatedPlatform::Interface& interface_;
  SimulatedFirmware* firmware_;
  int& closes_;
  std::uint8_t reportId_ = 0;
};

}  // namespace

SimulatedPlatform::SimulatedPlatform(DeviceStore store) : firmware_(store) {
  addInterface({kDefaultPath, kVexaroVendorId, kVexaroProductId}, true);
}

SimulatedPlatform::Interface& SimulatedPlatform::addInterface(HidInterfaceInfo info,
                                                              bool isVexaro) {
  interfaces_.push_back({std::move(info), isVexaro, VexaroReportDescriptor(), std::nullopt});
  return interfaces_.back();
}

int SimulatedPlatform::openHandles() const {
  int open = 0;
  for (const auto& [path, count] : opens_) open += count;
  for (const auto& [path, count] : closes_) open -= count;
  return open;
}

std::vector<HidInterfaceInfo> SimulatedPlatform::enumerate() {
  std::vector<HidInterfaceInfo> present;
  if (!failedService.empty()) return present;
  for (const Interface& interface : interfaces_) {
    if (interface.isVexaro && firmware_.unplugged()) continue;
    present.push_back(interface.info);
  }
  return present;
}

OpenResult SimulatedPlatform::open(const std::string& path) {
  for (Interface& interface : interfaces_) {
    if (interface.info.path != path) continue;
    if (interface.openError) return {nullptr, *interface.openError};
    if (interface.isVexaro && firmware_.unplugged()) return {nullptr, OpenError::Failed};
    if (interface.isVexaro) firmware_.dropPendingReplies();
    ++opens_[path];
    return {std::make_unique<SimulatedHandle>(interface, interface.isVexaro ? &firmware_ : nullptr,
                                              closes_[path]),
            OpenError::Failed};
  }
  return {nullptr, OpenError::Failed};
}

}  // namespace vexaro
