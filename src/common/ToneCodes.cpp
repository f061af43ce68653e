#include "common/ToneCodes.h"

#include <algorithm>

#include "common/NumberText.h"

namespace vexaro {

Result<std::uint8_t> TonePeriodCode(double frequency) {
  return ToByte(1 / frequency / kToneTick);
}

Result<std::uint8_t> ToneLengthCode(double seconds, double frequency) {
  const Result<std::int16_t> periods = ToInt16(seconds * frequency / kPeriodsPerLength);
  if (!periods) return Failure{periods.why()};
  return ToByte(std::min<std::int16_t>(255, *periods));
}

}  // namespace vexaro
