#pragma once
// The calibration commands of the command-line tool: adc and trim.

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

}  // namespace vexaro
