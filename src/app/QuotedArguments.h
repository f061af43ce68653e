#pragma once
// The messages of the command-line parser echo the arguments they refuse as they were given.

#include <string>
#include <vector>

namespace vexaro {

// `message` with each argument of `args` (or the value after an option's '=') that cannot be
// shown as it is (a control character, a byte that is not UTF-8, more than kQuotedLength
// characters) written as QuotedText writes it. Should anything else in it still be
// unfit for a terminal, the whole message is quoted, cut after 200 characters.
std::string QuotedArguments(std::string message, const std::vector<std::string>& args);

}  // namespace vexaro
