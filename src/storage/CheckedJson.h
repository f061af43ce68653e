#pragma once
// The JSON of a file that anyone may hand the tool (a backup, a settings file), read without
// trusting its shape: nested at most kMaxJsonDepth deep, at most kMaxJsonValues values, no key
// twice in one object, in time that grows with the file's length and stops at the first of these
// it breaks. Only a value read here is copied, compared or printed, since those walk it by
// recursion.

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "common/Result.h"

namespace vexaro {

using Json = nlohmann::ordered_json;

// Lists and objects inside each other: a backup goes 3 deep.
inline constexpr std::size_t kMaxJsonDepth = 16;
// Texts, numbers, lists and objects (a key and its value count as one): a backup has some 100.
inline constexpr std::size_t kMaxJsonValues = 10000;

// The JSON text of the file `name` (as a sentence quotes it), or one sentence: `notJson` for a
// text that is not JSON, or that it nests too deep, holds too many values or holds a key twice in
// one object (which of the two would count is anyone's guess).
Result<Json> ParseCheckedJson(std::string_view text, const std::string& name,
                              const std::string& notJson);

}  // namespace vexaro
