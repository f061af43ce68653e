#include "common/QuotedText.h"

#include <cstdio>

namespace vexaro {

namespace {

std::string Escape(unsigned char byte) {
  switch (byte) {
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    case '\t':
      return "\\t";
    default: {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      return hex;
    }
  }
}

// The length of the UTF-8 character at the start of `text`, 0 when it is not one.
std::size_t CharacterLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  unsigned least = 0;  // the smallest code point of that length (no overlong forms)
  if (lead < 0x80) return 1;
  if (lead >= 0xc2 && lead < 0xe0) {
    length = 2;
    least = 0x80;
  } else if (lead >= 0xe0 && lead < 0xf0) {
    length = 3;
    least = 0x800;
  } else if (lead >= 0xf0 && lead < 0xf5) {
    length = 4;
    least = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  unsigned code = lead & (0x7f >> length);
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xc0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3f);
  }
  const bool surrogate = code >= 0xd800 && code <= 0xdfff;
  if (code < least || surrogate || code > 0x10ffff) return 0;
  return length;
}

}  // namespace

std::string QuotedText(std::string_view text, std::size_t length) {
  std::string quoted = "\"";
  std::size_t characters = 0;
  while (!text.empty()) {
    if (characters == length) {
      return quoted + "\"...";
    }
    ++characters;
    const auto byte = static_cast<unsigned char>(text[0]);
    const std::size_t size = CharacterLength(text);
    const bool c1 = size == 2 && byte == 0xc2 && static_cast<unsigned char>(text[1]) < 0xa0;
    if (size == 0 || c1) {
      quoted += Escape(byte);
      if (c1) quoted += Escape(static_cast<unsigned char>(text[1]));
      text.remove_prefix(c1 ? 2 : 1);
    } else if (byte < 0x20 || byte == 0x7f) {
      quoted += Escape(byte);
      text.remove_prefix(1);
    } else {
      if (byte == '"' || byte == '\\') quoted += '\\';
      quoted.append(text.substr(0, size));
      text.remove_prefix(size);
    }
  }
  return quoted + "\"";
}

}  // namespace vexaro
