#include "settings/Threshold.h"

#include <charconv>
#include <cmath>

#include "common/NumberText.h"

namespace vexaro {

std::optional<std::string> ClampedThresholdText(std::string_view text) {
  const Result<double> value = LeadingNumber(text);
  if (!value) return "100";  // too large to represent, either sign
  if (*value > 100) return "100";
  if (*value < 0) return "0";
  return std::nullopt;
}

std::string ThresholdBoxText(std::string_view text) {
  return ClampedThresholdText(text).value_or(std::string(text));
}

std::optional<int> SliderPosition(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return std::nullopt;
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  const Result<std::int16_t> position = ToInt16(value);
  if (!position || *position < 0 || *position > 100) return std::nullopt;
  return *position;
}

}  // namespace vexaro
