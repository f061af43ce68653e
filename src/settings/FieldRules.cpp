#include "settings/FieldRules.h"

#include <algorithm>
#include <cmath>

#include "common/NumberText.h"

namespace vexaro {

namespace {

constexpr const char* kFrequencyMessage = "Frequency must be between 500 and 5000 Hz";
constexpr const char* kDurationMessage = "Duration must be between 0.032 and 1.0 Sec";
constexpr const char* kPauseMessage = "Pause must be between 0.016 and 4.0 Sec";

using enum Field;

constexpr FieldRule kRules[] = {
    {cboFreq, 4, false, 0, 500, 5000, kFrequencyMessage, "2358"},
    {cboDur, 5, true, 0, 0.032, 1.0, kDurationMessage, "0.250"},
    {cboGtime, 0, false, 0, 5, 65, "Glitch Period must be between 5 and 65 mS", "30"},
    {cboVminDly, 0, false, 20, 20, 5000,
     "Minimum Voltage Capture Time must be between 20 and 5000 mS", "100"},
    {cboVlowDly, 0, true, 0, 0.1, 5.0, "Time Delay must be between 0.1 and 5.0 Sec", "2.0"},
    {cboZeFreq, 0, false, 0, 500, 5000, kFrequencyMessage, "2404"},
    {cboZeDur, 0, true, 0, 0.032, 1.0, kDurationMessage, "0.125"},
    {cboRoFreq, 0, false, 0, 500, 5000, kFrequencyMessage, "1984"},
    {cboRoDur, 0, true, 0, 0.032, 1.0, kDurationMessage, "0.250"},
    {cboIBpause, 0, true, 0, 0.016, 4.0, kPauseMessage, "0.500"},
    {cboIDpause, 0, true, 0, 0.016, 4.0, kPauseMessage, "1.50"},
};

constexpr FieldRule kLowVoltage7V = {
    cboLowV, 0, true, 0, 0, 7.0, "Voltage must be between 0.00V(OFF) and 7.00V", "4.60"};
constexpr FieldRule kLowVoltage70V = {
    cboLowV, 0, true, 0, 0, 70.0, "Voltage must be between 0.0V(OFF) and 70.0V", "OFF"};

// The first `count` characters of UTF-8 text (never half a character).
std::string CutCharacters(std::string_view text, int count) {
  std::size_t end = 0;
  for (int seen = 0; end < text.size(); ++end) {
    const bool startsCharacter = (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80;
    if (startsCharacter && seen++ == count) break;
  }
  return std::string(text.substr(0, end));
}

bool IsOff(std::string_view text) {
  return text.size() == 3 && std::toupper(static_cast<unsigned char>(text[0])) == 'O' &&
         std::toupper(static_cast<unsigned char>(text[1])) == 'F' &&
         std::toupper(static_cast<unsigned char>(text[2])) == 'F';
}

// Rounds to a whole multiple of `quantum`, halves of a step to the even multiple, written as a
// plain whole number; std::nullopt when that is too large to write so.
std::optional<std::string> Quantise(double value, int quantum) {
  const double steps = value / quantum;
  if (!(std::fabs(steps) < 1e12)) return std::nullopt;
  double q = std::floor(steps);
  const double rest = steps - q;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(q, 2.0) != 0.0)) q += 1.0;
  return std::to_string(static_cast<long long>(q) * quantum);
}

}  // namespace

std::optional<FieldRule> RuleFor(Field field, const DeviceSettings& settings) {
  if (field == cboLowV) return IsRange70(settings) ? kLowVoltage70V : kLowVoltage7V;
  for (const FieldRule& rule : kRules) {
    if (rule.field == field) return rule;
  }
  return std::nullopt;
}

CheckResult CheckEntry(Field field, std::string_view text, const DeviceSettings& settings) {
  const std::optional<FieldRule> rule = RuleFor(field, settings);
  if (!rule) return {true, std::string(text), {}, {}};
  if (field == cboLowV && IsOff(text)) return {true, std::string(text), {}, {}};

  std::string entry(text);
  if (rule->cutLength > 0) entry = CutCharacters(entry, rule->cutLength);
  if (rule->commaToPoint) std::replace(entry.begin(), entry.end(), ',', '.');
  // A number too large to represent is a bad entry like any other.
  const bool accepted = [&] {
    if (rule->quantum > 0) {
      const Result<double> number = LeadingNumber(entry);
      const std::optional<std::string> quantised =
          number ? Quantise(*number, rule->quantum) : std::nullopt;
      if (!quantised) return false;
      entry = *quantised;
    }
    const Result<double> value = LeadingNumber(entry);
    return value && *value >= rule->lower && *value <= rule->upper;
  }();
  if (accepted) return {true, entry, {}, {}};
  return {false, rule->restoreText, rule->message, entry};
}

}  // namespace vexaro
