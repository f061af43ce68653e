#pragma once
// The calibration commands of the command-line tool: adc and trim.

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "app/CliSession.h"

namespace vexaro {

// `vexaro adc`: the A/D value, then the estimates for +1 to +7 and -1 to -7.
int AdcCommand(CliSession& session, std::ostream& out, std::ostream& err);

// `vexaro trim`: prints the stored trim. `vexaro trim VALUE`: stores a trim of -7 to 7 (checked
// by the caller with ParseTrim before the device is touched).
int TrimCommand(CliSession& session, std::optional<int> value, std::ostream& out,
                std::ostream& err);

// A trim argument: a whole number from -7 to 7.
std::optional<int> ParseTrim(const std::string& text);

// Stores a trim of -7 to 7 as the calibration page does. False when the device was lost.
[[nodiscard]] bool StoreTrim(CliSession& session, int trim);

// The trim a stored trim byte holds: 0 with `trim` set, or the exit status after one sentence on
// `err` for a byte that is not a trim of -7 to 7.
int StoredTrim(std::uint8_t byte, int& trim, std::ostream& err);

}  // namespace vexaro
