// The settings record is read from the device's memory: any 31 bytes. The window shows them, and
// the Send button stores what it shows.
//
// Input: the first 31 bytes are device addresses 0 to 30 (missing ones are 0, extra ones are
// ignored). The bytes are shown as the window shows them; when every byte can be shown, the shown
// texts are encoded again as the Send button does.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzCheck.h"
#include "settings/SettingsFields.h"
#include "settings/SettingsRecord.h"

using namespace vexaro;

namespace {

// The order EncodeSettings sends its bytes in.
const std::vector<std::uint8_t> kWriteOrder30 = {9,  10, 5,  6,  3,  4,  16, 8,  7,  12, 13, 14,
                                                 15, 25, 26, 11, 17, 18, 19, 20, 21, 22, 23};
const std::vector<std::uint8_t> kWriteOrderOld = {9,  10, 5,  6,  3,  4,  16, 8,  7,  12, 13,
                                                  14, 15, 11, 17, 18, 19, 20, 21, 22, 23};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  DeviceSettings settings{};
  std::copy_n(data, std::min(size, settings.size()), settings.begin());
  const bool version30 = HasVersion30Fields(settings);

  const ShownSettings shown = ShowSettings(settings);
  FUZZ_CHECK(shown.range70 == IsRange70(settings));
  FUZZ_CHECK(!shown.version.empty());

  // Every field is shown at most once.
  SettingsTexts texts;
  std::vector<bool> seen(kFieldCount, false);
  for (const FieldText& shownText : shown.texts) {
    const auto index = static_cast<std::size_t>(shownText.field);
    FUZZ_CHECK(index < kFieldCount && !seen[index]);
    seen[index] = true;
    texts[index] = shownText.text;
  }

  if (shown.failure) {
    FUZZ_CHECK(shown.failure->address < settings.size());
    FUZZ_CHECK(shown.failure->byte == settings[shown.failure->address]);
    FUZZ_CHECK(!seen[static_cast<std::size_t>(shown.failure->field)]);
    return 0;
  }
  // Everything shown; firmware before 3.0 leaves the three minimum-voltage controls out.
  FUZZ_CHECK(shown.gateReached);
  FUZZ_CHECK(shown.texts.size() == (version30 ? kFieldCount : kFieldCount - 3));
  for (const FieldInfo& info : AllFields()) {
    FUZZ_CHECK(seen[static_cast<std::size_t>(info.field)] == (version30 || !info.needsVersion30));
  }

  const EncodedSettings encoded = EncodeSettings(texts, settings);
  if (encoded.failure) {
    // A text that cannot be stored is named, and nothing is sent.
    FUZZ_CHECK(encoded.writes.empty());
    FUZZ_CHECK(encoded.failure->text == TextOf(texts, encoded.failure->field));
    return 0;
  }
  const std::vector<std::uint8_t>& order = version30 ? kWriteOrder30 : kWriteOrderOld;
  FUZZ_CHECK(encoded.writes.size() == order.size());
  for (std::size_t i = 0; i < order.size(); ++i) FUZZ_CHECK(encoded.writes[i].address == order[i]);

  // Sending what was read, unedited, gives back the bytes whose texts show them exactly.
  using namespace address;
  for (const ByteWrite& w : encoded.writes) {
    switch (w.address) {
      case kThreshold:
      case kReverse:
      case kAlertBeeps:
      case kCommandWindow:
      case kVoltageCycles:
      case kGlitchCycles:
      case kPowerUpBeeps:
      case kInterBeepPause:
      case kMinVoltageCycles:
      case kMinVoltageCapture:
        FUZZ_CHECK(w.value == settings[w.address]);
        break;
      case kClearAfterReport:
        FUZZ_CHECK(w.value == (settings[w.address] & (version30 ? 3 : 1)));
        break;
      default:
        break;
    }
  }
  return 0;
}
