#pragma once
// The turn-on threshold: a text box and a slider (0 to 100 %) that follow each other.

#include <optional>
#include <string>
#include <string_view>

namespace vexaro {

// The text the threshold box must hold instead of `text`: "100" when its leading number is above
// 100 or too large to represent, "0" when it is below 0; std::nullopt when the text may stay.
std::optional<std::string> ClampedThresholdText(std::string_view text);

// The text the threshold box holds once `text` has been put into it and its change reaction has
// run: "-50" becomes "0", "155" becomes "100", "12.5" stays.
std::string ThresholdBoxText(std::string_view text);

// The slider position for the threshold text: the whole text read as a number ("." the decimal
// point, blanks around it allowed) rounded half to even (12.5 gives 12, 13.5 gives 14).
// std::nullopt when the text is not a number (empty, letters, a lone sign, "50abc") or the
// position lies outside 0 to 100: the slider then stays where it is.
std::optional<int> SliderPosition(std::string_view text);

}  // namespace vexaro
