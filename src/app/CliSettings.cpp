#include "app/CliSettings.h"

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/FileAccess.h"
#include "app/VexaroCli.h"
#include "common/Utf8Path.h"
#include "link/DeviceContract.h"
#include "settings/FactoryDefaults.h"
#include "settings/FieldRules.h"
#include "settings/SettingsRead.h"
#include "settings/SettingsRecord.h"
#include "settings/Threshold.h"

namespace vexaro {

namespace {

constexpr const char* kTwoTone = "two-tone";
constexpr const char* kTenBeeps = "10-beeps";

// The value the tool prints for a field's control text, and back.
std::string KeyValue(Field field, const std::string& text) {
  if (field == Field::optZ10) return text == "1" ? kTenBeeps : kTwoTone;
  return text;
}

// Puts `text` into a field as the window puts it into the field's control: the threshold box's
// own reaction corrects a number outside 0 to 100 in place, and Send stores the corrected text.
void Fill(SettingsTexts& texts, Field field, const std::string& text) {
  TextOf(texts, field) = Info(field).kind == ControlKind::TextBox ? ThresholdBoxText(text) : text;
}

std::string RangeName(bool range70) {
  return range70 ? "70V" : "7V";
}

// Reads the 29 settings bytes: 0, or the exit status.
int ReadBytes(CliSession& session, DeviceSettings& settings, std::ostream& err) {
  if (const auto lost = ReadSettingsBytes(session.usb(), session.link(), settings)) {
    return Fail(err, kExitDeviceLost,
                "device lost while reading address " + std::to_string(*lost) + ".");
  }
  return 0;
}

// The control text a `set` value stands for, by the rules the window applies when the user
// enters it.
Result<std::string> ControlText(Field field, const std::string& value,
                                const DeviceSettings& settings) {
  const FieldInfo& info = Info(field);
  const std::string key = info.key;
  switch (info.kind) {
    case ControlKind::OptionGroup:
      if (value != kTwoTone && value != kTenBeeps) {
        return Failure{key + " must be " + kTwoTone + " or " + kTenBeeps + ", not \"" + value +
                       "\"."};
      }
      return std::string(value == kTenBeeps ? "1" : "0");
    case ControlKind::CheckBox:
      if (value != "0" && value != "1") {
        return Failure{key + " must be 0 or 1, not \"" + value + "\"."};
      }
      return value;
    case ControlKind::PickList: {
      if (IsItem(field, value)) return value;
      std::string items;
      for (const char* item : info.items) items += (items.empty() ? "" : ", ") + std::string(item);
      return Failure{key + " must be one of " + items + ", not \"" + value + "\"."};
    }
    case ControlKind::TextBox:
      return value;  // corrected by Fill, as the box corrects a typed text
    case ControlKind::EditableList: {
      const CheckResult checked = CheckEntry(field, value, settings);
      if (!checked.accepted) return Failure{key + ": " + checked.message + "."};
      return checked.text;
    }
  }
  return Failure{key + " cannot be set."};
}

}  // namespace

std::string CannotShow(const ShowFailure& f) {
  return "the device holds " + std::to_string(f.byte) + " at address " + std::to_string(f.address) +
         ", which cannot be shown as " + Info(f.field).key;
}

std::vector<std::pair<std::string, std::string>> SettingsValues(const ShownSettings& shown) {
  std::vector<std::pair<std::string, std::string>> values{{"version", shown.version},
                                                          {"range", RangeName(shown.range70)}};
  // The fields the firmware gate hides are not among the shown texts.
  SettingsTexts texts;
  std::array<bool, kFieldCount> present{};
  for (const FieldText& shownText : shown.texts) {
    Fill(texts, shownText.field, shownText.text);
    present[static_cast<std::size_t>(shownText.field)] = true;
  }
  for (const FieldInfo& info : AllFields()) {
    if (present[static_cast<std::size_t>(info.field)]) {
      values.emplace_back(info.key, KeyValue(info.field, TextOf(texts, info.field)));
    }
  }
  return values;
}

int ReadSettingsCommand(CliSession& session, bool json, std::ostream& out, std::ostream& err) {
  DeviceSettings settings{};
  if (const int status = ReadBytes(session, settings, err); status != 0) return status;
  const ShownSettings shown = ShowSettings(settings);
  if (shown.failure) return Fail(err, kExitDeviceLost, CannotShow(*shown.failure) + ".");

  if (json) {
    nlohmann::ordered_json values;
    for (const auto& [key, value] : SettingsValues(shown)) values[key] = value;
    out << values.dump(2) << '\n';
  } else {
    for (const auto& [key, value] : SettingsValues(shown)) out << key << ": " << value << '\n';
  }
  return kExitDone;
}

Result<SetRequest> ParseSetRequest(const std::vector<std::string>& assignments,
                                   const std::string& fromFile, bool defaults) {
  SetRequest request;
  request.defaults = defaults;
  const auto add = [&](const std::string& key, const std::string& value) -> Result<void> {
    if (key != "version" && key != "range" && !FieldByKey(key)) {
      return Failure{"there is no setting \"" + key + "\" (see 'vexaro read' for the keys)."};
    }
    request.values.emplace_back(key, value);
    return {};
  };
  if (!fromFile.empty()) {
    const Result<std::string> text = ReadWholeFile(fromFile);
    if (!text) return Failure{text.why()};
    const nlohmann::ordered_json object = nlohmann::ordered_json::parse(*text, nullptr, false);
    if (object.is_discarded() || !object.is_object()) {
      return Failure{fromFile +
                     " does not hold a JSON object such as 'vexaro read --json' prints."};
    }
    for (const auto& [key, value] : object.items()) {
      if (!value.is_string()) {
        return Failure{fromFile + ": the value of " + key + " is not a text."};
      }
      if (const Result<void> added = add(key, value.get<std::string>()); !added) {
        return Failure{added.why()};
      }
    }
  }
  for (const std::string& assignment : assignments) {
    const auto equals = assignment.find('=');
    if (equals == std::string::npos) {
      return Failure{"\"" + assignment + "\" is not of the form key=value."};
    }
    if (const Result<void> added = add(assignment.substr(0, equals), assignment.substr(equals + 1));
        !added) {
      return Failure{added.why()};
    }
  }
  if (request.values.empty() && !request.defaults) {
    return Failure{"set needs key=value pairs, --from FILE or --defaults."};
  }
  return request;
}

int PrepareSettingsWrites(CliSession& session, const SetRequest& request, std::ostream& err,
                          std::vector<ByteWrite>& writes) {
  DeviceSettings settings{};
  if (const int status = ReadBytes(session, settings, err); status != 0) return status;

  // When every setting the device shows is given, its own texts play no part.
  const bool complete = std::all_of(AllFields().begin(), AllFields().end(), [&](const auto& info) {
    return (info.needsVersion30 && !HasVersion30Fields(settings)) ||
           std::any_of(request.values.begin(), request.values.end(),
                       [&](const auto& value) { return value.first == info.key; });
  });
  SettingsTexts texts;
  if (request.defaults || complete) {
    for (const FieldText& d : BasicDefaults(settings)) Fill(texts, d.field, d.text);
    for (const FieldText& d : AdvancedDefaults()) Fill(texts, d.field, d.text);
  } else {
    const ShownSettings shown = ShowSettings(settings);
    if (shown.failure) {
      return Fail(
          err, kExitDeviceLost,
          CannotShow(*shown.failure) + "; 'vexaro set --defaults' stores the factory settings.");
    }
    for (const FieldText& t : shown.texts) Fill(texts, t.field, t.text);
  }

  // Settings of the other voltage range would be read in the wrong unit: refuse them first.
  for (const auto& [key, value] : request.values) {
    if (key == "range" && value != RangeName(IsRange70(settings))) {
      return Fail(err, kExitBadInput,
                  "these settings are for a " + value + " device; this one is " +
                      RangeName(IsRange70(settings)) + ".");
    }
  }
  for (const auto& [key, value] : request.values) {
    if (key == "version" || key == "range") continue;  // what the device is, not settings
    const Field field = *FieldByKey(key);
    if (Info(field).needsVersion30 && !HasVersion30Fields(settings)) {
      return Fail(err, kExitBadInput,
                  key + " needs firmware 3.0 or later; this device has " +
                      ShowSettings(settings).version + ".");
    }
    const Result<std::string> text = ControlText(field, value, settings);
    if (!text) return Fail(err, kExitBadInput, text.why());
    Fill(texts, field, *text);
  }

  EncodedSettings encoded = EncodeSettings(texts, settings);
  if (encoded.failure) {
    return Fail(err, kExitBadInput,
                Info(encoded.failure->field).key + std::string(" holds \"") +
                    encoded.failure->text + "\", which cannot be stored in the device.");
  }
  writes = std::move(encoded.writes);
  return kExitDone;
}

std::size_t StoreBytes(CliSession& session, const std::vector<ByteWrite>& writes) {
  std::size_t stored = 0;
  for (const ByteWrite& w : writes) {
    if (!session.exchange().SendCommand(command::kStoreByte, w.address, w.value)) break;
    ++stored;
  }
  return stored;
}

int SetSettingsCommand(CliSession& session, const SetRequest& request, std::ostream& err) {
  std::vector<ByteWrite> writes;
  if (const int status = PrepareSettingsWrites(session, request, err, writes); status != 0) {
    return status;
  }
  if (const std::size_t stored = StoreBytes(session, writes); stored < writes.size()) {
    return Fail(err, kExitDeviceLost,
                "device lost after storing " + std::to_string(stored) + " of " +
                    std::to_string(writes.size()) + " settings bytes.");
  }
  return kExitDone;
}

}  // namespace vexaro
