#include "link/TrafficTrace.h"

#include <array>
#include <string>

namespace vexaro {

void TrafficTrace::sent(std::span<const std::uint8_t> report) {
  reportLine("hid>", report);
}

void TrafficTrace::received(std::span<const std::uint8_t> report) {
  reportLine("hid<", report);
}

void TrafficTrace::note(std::string_view text) {
  if (out_ == nullptr) return;
  *out_ << "hid: " << text << '\n' << std::flush;
}

void TrafficTrace::reportLine(std::string_view prefix, std::span<const std::uint8_t> report) {
  if (out_ == nullptr) return;
  static constexpr std::array<char, 16> kHex = {'0', '1', '2', '3', '4', '5', '6', '7',
                                                '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
  std::string line(prefix);
  for (std::uint8_t byte : report) {
    line += ' ';
    line += kHex[byte >> 4];
    line += kHex[byte & 0x0f];
  }
  line += '\n';
  *out_ << line << std::flush;
}

namespace {

class TracingDevice final : public HidDevice {
 public:
  TracingDevice(std::unique_ptr<HidDevice> inner, std::string path, TrafficTrace& trace)
      : inner_(std::move(inner)), path_(std::move(path)), trace_(trace) {}
  ~TracingDevice() override { trace_.note("close " + path_); }

  std::optional<ReportLengths> reportLengths() override {
    auto lengths = inner_->reportLengths();
    if (lengths) {
      trace_.note(path_ + " report lengths: input " + std::to_string(lengths->input) + ", output " +
                  std::to_string(lengths->output));
    } else {
      trace_.note(path_ + " report lengths unknown (no usable report descriptor)");
    }
    return lengths;
  }

  bool write(std::span<const std::uint8_t> report) override {
    trace_.sent(report);
    const bool ok = inner_->write(report);
    if (!ok) trace_.note("write failed on " + path_ + errorCode());
    return ok;
  }

  ReadOutcome read(std::span<std::uint8_t> report, std::chrono::milliseconds limit) override {
    const ReadOutcome outcome = inner_->read(report, limit);
    switch (outcome) {
      case ReadOutcome::Completed:
        trace_.received(report);
        break;
      case ReadOutcome::TimedOut:
        trace_.note("read timed out after " + std::to_string(limit.count()) + " ms on " + path_);
        break;
      case ReadOutcome::Failed:
        trace_.note("read failed on " + path_ + errorCode());
        break;
    }
    return outcome;
  }

  std::size_t dropWaitingReports(std::size_t reportLength, std::size_t limit) override {
    const std::size_t dropped = inner_->dropWaitingReports(reportLength, limit);
    if (dropped > 0) {
      trace_.note("dropped " + std::to_string(dropped) + " input report" +
                  (dropped == 1 ? "" : "s") + " waiting on " + path_ +
                  " (replies to another program)");
    }
    return dropped;
  }

  void cancel() override { inner_->cancel(); }
  std::uint32_t lastErrorCode() const override { return inner_->lastErrorCode(); }

 private:
  // " (error 1167)" when the platform said why, else nothing.
  std::string errorCode() const {
    const std::uint32_t code = inner_->lastErrorCode();
    return code == 0 ? std::string() : " (error " + std::to_string(code) + ")";
  }

  std::unique_ptr<HidDevice> inner_;
  std::string path_;
  TrafficTrace& trace_;
};

class TracingPlatform final : public HidPlatform {
 public:
  TracingPlatform(HidPlatform& inner, TrafficTrace& trace) : inner_(inner), trace_(trace) {}

  std::vector<HidInterfaceInfo> enumerate() override { return inner_.enumerate(); }
  std::string serviceFailure() override { return inner_.serviceFailure(); }
  LockResult lockDevice(const std::string& path) override { return inner_.lockDevice(path); }

  OpenResult open(const std::string& path) override {
    OpenResult result = inner_.open(path);
    if (result.device) {
      trace_.note("open " + path);
      result.device = std::make_unique<TracingDevice>(std::move(result.device), path, trace_);
    } else if (result.error == OpenError::NoPermission) {
      trace_.note("open " + path + " refused: no permission");
    } else if (result.error == OpenError::InUse) {
      trace_.note("open " + path + " refused: another program holds it open");
    } else {
      trace_.note("open " + path + " failed");
    }
    return result;
  }

 private:
  HidPlatform& inner_;
  TrafficTrace& trace_;
};

}  // namespace

std::unique_ptr<HidPlatform> MakeTracingPlatform(HidPlatform& inner, TrafficTrace& trace) {
  return std::make_unique<TracingPlatform>(inner, trace);
}

}  // namespace vexaro
