#pragma once
// Text from outside the program (a file, a command line) quoted inside an error sentence, safe to
// print on a terminal: in double quotes, control characters and bytes that are not UTF-8 written
// as escapes, and cut after a readable length.

#include <cstddef>
#include <string>
#include <string_view>

namespace vexaro {

inline constexpr std::size_t kQuotedLength = 40;

// "text" with \n, \r, \t, \", \\ and \xHH escapes (for every other byte below 32, 127, a C1
// control and a byte that is not part of a UTF-8 character). When `text` has more than `length`
// characters, the first `length` are kept and "..." follows the closing quote.
std::string QuotedText(std::string_view text, std::size_t length = kQuotedLength);

}  // namespace vexaro
