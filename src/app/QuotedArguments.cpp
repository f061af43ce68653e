#include "app/QuotedArguments.h"

#include <algorithm>

#include "common/QuotedText.h"

namespace vexaro {

namespace {

constexpr std::size_t kWholeMessageLength = 200;

// Whether QuotedText would change nothing but add quotes and escape quotes and backslashes.
bool ShownAsItIs(const std::string& text, std::size_t length) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return QuotedText(text, length) == quoted + '"';
}

}  // namespace

std::string QuotedArguments(std::string message, const std::vector<std::string>& args) {
  std::vector<std::string> pieces;
  for (const std::string& arg : args) {
    pieces.push_back(arg);
    if (const auto equals = arg.find('='); equals != std::string::npos) {
      pieces.push_back(arg.substr(equals + 1));
    }
  }
  // The longest first, so that an argument that holds another is replaced whole.
  std::sort(pieces.begin(), pieces.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  for (const std::string& piece : pieces) {
    if (piece.empty() || ShownAsItIs(piece, kQuotedLength)) continue;
    const std::string quoted = QuotedText(piece);
    for (auto at = message.find(piece); at != std::string::npos;
         at = message.find(piece, at + quoted.size())) {
      message.replace(at, piece.size(), quoted);
    }
  }
  if (ShownAsItIs(message, kWholeMessageLength)) return message;
  return QuotedText(message, kWholeMessageLength);
}

}  // namespace vexaro
