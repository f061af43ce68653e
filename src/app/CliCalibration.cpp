#include "app/CliCalibration.h"

#include <charconv>

#include "app/VexaroCli.h"
#include "calibration/Trim.h"
#include "link/DeviceContract.h"

namespace vexaro {

int AdcCommand(CliSession& session, std::ostream& out, std::ostream& err) {
  const std::uint8_t high = session.usb().plainTransfer({command::kAdHigh, 0, 0});
  const std::uint8_t low = session.usb().plainTransfer({command::kAdLow, 0, 0});
  if (!session.link().DeviceDetected) {
    return Fail(err, kExitDeviceLost, "device lost while reading the A/D value.");
  }
  const int value = AdValue(high, low);
  const TrimEstimates estimates = Estimates(value);
  out << "A/D value: " << value << '\n';
  for (int k = 1; k <= kMaxTrim; ++k) out << '+' << k << ": " << estimates.plus[k - 1] << '\n';
  for (int k = 1; k <= kMaxTrim; ++k) out << '-' << k << ": " << estimates.minus[k - 1] << '\n';
  return kExitDone;
}

bool StoreTrim(CliSession& session, int trim) {
  return session.exchange().SendCommand(command::kStoreByte, kTrimAddress, *EncodeTrim(trim));
}

int StoredTrim(std::uint8_t byte, int& trim, std::ostream& err) {
  trim = DecodeTrim(byte);
  if (!EncodeTrim(trim)) {
    return Fail(err, kExitDeviceLost,
                "the device holds the trim byte " + std::to_string(byte) +
                    ", which is not a trim of -7 to 7; 'vexaro trim 0' stores a valid one.");
  }
  return kExitDone;
}

int TrimCommand(CliSession& session, std::optional<int> value, std::ostream& out,
                std::ostream& err) {
  if (value) {
    if (!StoreTrim(session, *value)) {
      return Fail(err, kExitDeviceLost, "device lost before it acknowledged the trim.");
    }
    return kExitDone;
  }
  const std::uint8_t stored = session.usb().plainTransfer({command::kReadByte, kTrimAddress});
  if (!session.link().DeviceDetected) {
    return Fail(err, kExitDeviceLost, "device lost while reading the trim.");
  }
  int trim = 0;
  if (const int status = StoredTrim(stored, trim, err); status != 0) return status;
  out << trim << '\n';
  return kExitDone;
}

std::optional<int> ParseTrim(const std::string& text) {
  int value = 0;
  const char* first = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
  const auto [end, ec] = std::from_chars(first, text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || first == end || !EncodeTrim(value)) {
    return std::nullopt;
  }
  return value;
}

}  // namespace vexaro
