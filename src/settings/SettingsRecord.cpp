#include "settings/SettingsRecord.h"

#include <algorithm>
#include <cmath>

#include "common/NumberText.h"
#include "common/ToneCodes.h"

namespace vexaro {

namespace {

// Inside this file a text or byte that cannot be converted ends the showing or the encoding by
// this exception, caught in the same function that started it; none leaves the file.
struct NotConvertible {};

template <typename T>
T Take(Result<T> converted) {
  if (!converted) throw NotConvertible{};
  return *std::move(converted);
}

double Number(std::string_view text) {
  return Take(LeadingNumber(text));
}
std::string Picture(double value, std::string_view picture) {
  return Take(FormatPicture(value, picture));
}
std::uint8_t Byte(double x) {
  return Take(ToByte(x));
}
std::int16_t Int16(double x) {
  return Take(ToInt16(x));
}

// Frequency shown for a tone period byte: 1 / (b x 8 us).
std::string PeriodText(std::uint8_t period) {
  if (period == 0) throw NotConvertible{};
  return Picture(1 / (period * kToneTick), "####");
}

// Length shown for a length byte: b groups of 16 periods of the tone.
std::string LengthText(std::uint8_t length, std::uint8_t period, const char* picture) {
  return Picture(static_cast<double>(length) * kPeriodsPerLength * period * kToneTick, picture);
}

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// Fills ShownSettings step by step; the first byte that cannot be shown ends the filling.
class Shower {
 public:
  Shower(const DeviceSettings& b, ShownSettings& shown, bool everyField)
      : b_(b), shown_(shown), everyField_(everyField) {}

  template <typename MakeText>
  void text(Field field, std::uint8_t address, MakeText makeText) {
    try {
      shown_.texts.push_back({field, makeText()});
    } catch (const NotConvertible&) {
      fail(field, address);
    }
  }

  // A pick-only list: the text must be one of its items.
  void item(Field field, std::uint8_t address, const std::string& text) {
    if (!IsItem(field, text)) return fail(field, address);
    shown_.texts.push_back({field, text});
  }

 private:
  void fail(Field field, std::uint8_t address) {
    const ShowFailure failure{field, address, b_[address]};
    if (!everyField_) throw failure;
    shown_.unshown.push_back(failure);
  }

  const DeviceSettings& b_;
  ShownSettings& shown_;
  bool everyField_;
};

constexpr std::uint8_t kSendOrder30[] = {9,  10, 5,  6,  3,  4,  16, 8,  7,  12, 13, 14,
                                         15, 25, 26, 11, 17, 18, 19, 20, 21, 22, 23};
constexpr std::uint8_t kSendOrderOld[] = {9,  10, 5,  6,  3,  4,  16, 8,  7,  12, 13,
                                          14, 15, 11, 17, 18, 19, 20, 21, 22, 23};

}  // namespace

std::string VersionText(std::uint8_t versionByte) {
  return Picture(static_cast<float>(versionByte) / 10.0f, "#0.0");
}

std::span<const std::uint8_t> SendAddresses(bool version30) {
  if (version30) return kSendOrder30;
  return kSendOrderOld;
}

ShownSettings ShowSettings(const DeviceSettings& b, bool everyField) {
  using namespace address;
  ShownSettings shown;
  shown.version = VersionText(b[kVersion]);
  shown.range70 = IsRange70(b);
  Shower show(b, shown, everyField);
  const auto decimal = [&](std::uint8_t a) { return std::to_string(b[a]); };
  try {
    show.text(Field::txtThres, kThreshold,
              [&] { return Picture(static_cast<std::int16_t>(b[kThreshold] - 100), "###"); });
    show.text(Field::chkRev, kReverse, [&] {
      if (b[kReverse] > 1) throw NotConvertible{};
      return decimal(kReverse);
    });
    show.text(Field::cboLowV, kLowVoltageLow, [&]() -> std::string {
      const int v = 256 * b[kLowVoltageHigh] + b[kLowVoltageLow];
      if (v == 0) return "OFF";
      return shown.range70 ? Picture(v / 10.0, "0.0") : Picture(v / 100.0, "0.00");
    });
    show.text(Field::cboFreq, kBeepPeriod, [&] { return PeriodText(b[kBeepPeriod]); });
    show.text(Field::cboDur, kBeepLength,
              [&] { return LengthText(b[kBeepLength], b[kBeepPeriod], "0.###"); });
    show.item(Field::cboStartBeeps, kPowerUpBeeps, decimal(kPowerUpBeeps));
    show.item(Field::cboVlowBeeps, kAlertBeeps, decimal(kAlertBeeps));
    show.text(Field::cboVlowDly, kAlertDelay,
              [&] { return Picture(b[kAlertDelay] / 50.0, "0.0"); });
    show.text(Field::cboGtime, kGlitchPeriod,
              [&] { return Picture(b[kGlitchPeriod] * 0.256, "##"); });
    show.text(Field::chkGreset, kClearAfterReport,
              [&] { return std::to_string(b[kClearAfterReport] & 1); });
    show.item(Field::cboCmdTime, kCommandWindow, Picture(b[kCommandWindow] * 0.5, "0.0"));
    show.item(Field::cboVcycles, kVoltageCycles, decimal(kVoltageCycles));
    show.item(Field::cboGcycles, kGlitchCycles, decimal(kGlitchCycles));
    shown.gateReached = true;
    if (HasVersion30Fields(b)) {
      show.item(Field::cboMcycles, kMinVoltageCycles, decimal(kMinVoltageCycles));
      show.text(Field::cboVminDly, kMinVoltageCapture,
                [&] { return std::to_string(b[kMinVoltageCapture] * 20); });
      show.text(Field::chkMreset, kClearAfterReport,
                [&] { return std::to_string(Int16((b[kClearAfterReport] & 2) / 2)); });
    }
    show.text(Field::optZ10, kZeroOutput, [&] { return b[kZeroOutput] == 0 ? "0" : "1"; });
    show.text(Field::cboZeFreq, kZePeriod, [&] { return PeriodText(b[kZePeriod]); });
    show.text(Field::cboZeDur, kZeLength,
              [&] { return LengthText(b[kZeLength], b[kZePeriod], "0.000"); });
    show.text(Field::cboRoFreq, kRoPeriod, [&] { return PeriodText(b[kRoPeriod]); });
    show.text(Field::cboRoDur, kRoLength,
              [&] { return LengthText(b[kRoLength], b[kRoPeriod], "0.000"); });
    show.text(Field::cboIBpause, kInterBeepPause,
              [&] { return Picture(b[kInterBeepPause] * 16 / 1000.0, "0.000"); });
    show.text(Field::cboIDpause, kInterDigitPause,
              [&] { return Picture(b[kInterDigitPause] * 16 / 1000.0, "0.00"); });
  } catch (const ShowFailure& failure) {
    shown.failure = failure;
  }
  return shown;
}

EncodedSettings EncodeSettings(const SettingsTexts& texts, const DeviceSettings& settings) {
  using namespace address;
  EncodedSettings encoded;
  Field current = Field::txtThres;
  // The number at the start of a field's text; remembers the field in case a conversion fails.
  const auto n = [&](Field field) {
    current = field;
    return Number(TextOf(texts, field));
  };
  const auto write = [&](std::uint8_t a, std::uint8_t value) {
    encoded.writes.push_back({a, value});
  };
  // Check boxes and the option group hold "0" or "1"; pick-only lists one of their items.
  const auto choice = [&](Field field) -> double {
    current = field;
    const std::string& text = TextOf(texts, field);
    if (text != "0" && text != "1") throw NotConvertible{};
    return text == "1" ? 1 : 0;
  };
  // A tone: its period from the frequency, then its length from the duration at the frequency
  // as entered (not at the frequency the period byte rounds to).
  const auto tone = [&](std::uint8_t periodAddress, Field frequencyField,
                        std::uint8_t lengthAddress, Field durationField) {
    const double frequency = n(frequencyField);
    write(periodAddress, Take(TonePeriodCode(frequency)));
    write(lengthAddress, Take(ToneLengthCode(n(durationField), frequency)));
  };
  const auto item = [&](Field field) {
    current = field;
    if (!IsItem(field, TextOf(texts, field))) throw NotConvertible{};
    return n(field);
  };

  try {
    write(kThreshold, Byte(n(Field::txtThres) + 100));
    write(kReverse, Byte(choice(Field::chkRev)));

    current = Field::cboLowV;
    std::uint8_t high = 0;
    std::uint8_t low = 0;
    if (Upper(TextOf(texts, Field::cboLowV)) != "OFF") {
      const double volts = n(Field::cboLowV);
      if (IsRange70(settings)) {
        high = Byte(std::floor(volts / 25.6));
        low = Byte(volts * 10 - 256 * high);
      } else {
        high = Byte(std::floor(volts / 2.56));
        low = Byte(volts * 100 - 256 * high);
      }
    }
    write(kLowVoltageLow, low);
    write(kLowVoltageHigh, high);

    tone(kBeepPeriod, Field::cboFreq, kBeepLength, Field::cboDur);
    write(kPowerUpBeeps, Byte(item(Field::cboStartBeeps)));
    write(kAlertBeeps, Byte(item(Field::cboVlowBeeps)));
    write(kAlertDelay, Byte(n(Field::cboVlowDly) * 50));
    write(kGlitchPeriod, Byte(n(Field::cboGtime) / 0.256));
    const double window = item(Field::cboCmdTime);
    write(kCommandWindow, Byte(window + window));
    write(kVoltageCycles, Byte(item(Field::cboVcycles)));
    write(kGlitchCycles, Byte(item(Field::cboGcycles)));
    if (HasVersion30Fields(settings)) {
      write(kMinVoltageCycles, Byte(item(Field::cboMcycles)));
      write(kMinVoltageCapture, Byte(n(Field::cboVminDly) / 20));
      const double minReset = choice(Field::chkMreset);
      write(kClearAfterReport, Byte(Int16(2 * minReset + choice(Field::chkGreset))));
    } else {
      write(kClearAfterReport, Byte(choice(Field::chkGreset)));
    }
    write(kZeroOutput, choice(Field::optZ10) == 1 ? 1 : 0);
    tone(kZePeriod, Field::cboZeFreq, kZeLength, Field::cboZeDur);
    tone(kRoPeriod, Field::cboRoFreq, kRoLength, Field::cboRoDur);
    write(kInterBeepPause, Byte(n(Field::cboIBpause) * 1000 / 16));
    write(kInterDigitPause, Byte(n(Field::cboIDpause) * 1000 / 16));
  } catch (const NotConvertible&) {
    encoded.writes.clear();
    encoded.failure = EncodeFailure{current, TextOf(texts, current)};
  }
  return encoded;
}

}  // namespace vexaro
