#include "app/CliSettings.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "storage/BackupFormat.h"
#include "storage/FileAccess.h"
#include "app/VexaroCli.h"
#include "common/NumberText.h"
#include "common/QuotedText.h"
#include "link/DeviceContract.h"
#include "settings/FactoryDefaults.h"
#include "settings/FieldRules.h"
#include "settings/SettingsRead.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsValues.h"

namespace vexaro {

namespace {

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
        return Failure{key + " must be " + kTwoTone + " or " + kTenBeeps + ", not " +
                       QuotedText(value) + "."};
      }
      return std::string(value == kTenBeeps ? "1" : "0");
    case ControlKind::CheckBox:
      if (value != "0" && value != "1") {
        return Failure{key + " must be 0 or 1, not " + QuotedText(value) + "."};
      }
      return value;
    case ControlKind::PickList: {
      if (IsItem(field, value)) return value;
      std::string items;
      for (const char* item : info.items) items += (items.empty() ? "" : ", ") + std::string(item);
      return Failure{key + " must be one of " + items + ", not " + QuotedText(value) + "."};
    }
    case ControlKind::TextBox:
      return value;  // corrected by Fill, as the box corrects a typed text
    case ControlKind::EditableList: {
      // The box keeps the first few characters of what is typed, which can turn a number out of
      // range into one inside it ("12500" Hz into "1250"): the whole number is checked too.
      const std::optional<FieldRule> rule = RuleFor(field, settings);
      if (rule && rule->cutLength > 0) {
        std::string whole = value;
        if (rule->commaToPoint) std::replace(whole.begin(), whole.end(), ',', '.');
        const Result<double> number = LeadingNumber(whole);
        if (number && (*number < rule->lower || *number > rule->upper)) {
          return Failure{key + ": " + rule->message + "."};
        }
      }
      const CheckResult checked = CheckEntry(field, value, settings);
      if (!checked.accepted) return Failure{key + ": " + checked.message + "."};
      return checked.text;
    }
  }
  return Failure{key + " cannot be set."};
}

}  // namespace

std::string LostWhileStoring(std::size_t stored, std::size_t total, const std::string& what) {
  // The device may have stored the last byte sent and been lost before its acknowledgement.
  const std::string count = stored < total
                                ? std::to_string(stored) + " or " + std::to_string(stored + 1)
                                : std::to_string(stored);
  return "device lost after storing " + count + " of " + std::to_string(total) + " " + what;
}

std::string CannotShow(const ShowFailure& f) {
  return "the device holds " + std::to_string(f.byte) + " at address " + std::to_string(f.address) +
         ", which cannot be shown as " + Info(f.field).key;
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
  if (!fromFile.empty()) {
    const Result<std::string> text = ReadWholeFile(fromFile);
    if (!text) return Failure{text.why()};
    Result<KeyValues> values = ParseSettingsText(*text, fromFile);
    if (!values) return Failure{values.why()};
    request.values = *std::move(values);
  }
  std::vector<std::string> given;
  for (const std::string& assignment : assignments) {
    const auto equals = assignment.find('=');
    if (equals == std::string::npos) {
      return Failure{QuotedText(assignment) + " is not of the form key=value."};
    }
    const std::string key = assignment.substr(0, equals);
    if (key != "version" && key != "range" && !FieldByKey(key)) {
      return Failure{"there is no setting " + QuotedText(key) +
                     " (see 'vexaro read' for the keys)."};
    }
    if (key == "version" && !IsVersionText(assignment.substr(equals + 1))) {
      return Failure{"version must be a firmware version from 0.0 to 25.5 such as 3.1, not " +
                     QuotedText(assignment.substr(equals + 1)) + "."};
    }
    if (std::find(given.begin(), given.end(), key) != given.end()) {
      return Failure{key + " is given twice, so it is not clear which value counts."};
    }
    given.push_back(key);
    request.values.emplace_back(key, assignment.substr(equals + 1));
  }
  if (request.values.empty() && !request.defaults) {
    return Failure{"set needs key=value pairs, --from FILE or --defaults."};
  }
  return request;
}

int PrepareSettingsWrites(CliSession& session, const SetRequest& request, std::ostream& err,
                          std::vector<ByteWrite>& writes) {
  writes.clear();
  DeviceSettings settings{};
  if (const int status = ReadBytes(session, settings, err); status != 0) return status;

  // Settings of the other voltage range would be read in the wrong unit: refuse them first.
  for (const auto& [key, value] : request.values) {
    if (key != "range" || value == RangeName(IsRange70(settings))) continue;
    if (value != RangeName(true) && value != RangeName(false)) {
      return Fail(err, kExitBadInput, "range must be 7V or 70V, not " + QuotedText(value) + ".");
    }
    return Fail(err, kExitBadInput,
                "these settings are for a " + value + " device; this one is " +
                    RangeName(IsRange70(settings)) + ".");
  }

  // The device's own texts, as `read` prints them; a byte that cannot be shown has none to
  // store, only the text a backup gives it.
  const ShownSettings shown = ShowSettings(settings, true);
  std::array<std::string, kFieldCount> own;
  SettingsTexts texts;
  std::array<bool, kFieldCount> filled{};
  for (const auto& [key, value] : SettingsValues(shown)) {
    if (const std::optional<Field> field = FieldByKey(key)) {
      own[static_cast<std::size_t>(*field)] = value;
    }
  }
  for (const FieldText& t : shown.texts) {
    FillControlText(texts, t.field, t.text);
    filled[static_cast<std::size_t>(t.field)] = true;
  }
  if (request.defaults) {
    for (const FieldText& d : BasicDefaults(settings)) FillControlText(texts, d.field, d.text);
    for (const FieldText& d : AdvancedDefaults()) FillControlText(texts, d.field, d.text);
    filled.fill(true);
  }

  // As in the window, only a field whose text changes goes through its entry check; a text the
  // device shows is stored as Send stores it.
  bool changed = request.defaults;
  for (const auto& [key, value] : request.values) {
    if (key == "version" || key == "range") continue;  // what the device is, not settings
    const Field field = *FieldByKey(key);
    const auto index = static_cast<std::size_t>(field);
    if (Info(field).needsVersion30 && !HasVersion30Fields(settings)) {
      return Fail(err, kExitBadInput,
                  key + " needs firmware 3.0 or later; this device has " + shown.version + ".");
    }
    if (value == own[index]) {
      for (const FieldText& t : shown.texts) {
        if (t.field == field) FillControlText(texts, field, t.text);
      }
      continue;
    }
    const Result<std::string> text = ControlText(field, value, settings);
    if (!text) return Fail(err, kExitBadInput, text.why());
    FillControlText(texts, field, *text);
    filled[index] = true;
    changed = true;
  }
  if (!changed) return kExitDone;  // every text is the device's own: nothing to store

  for (const ShowFailure& f : shown.unshown) {
    if (!filled[static_cast<std::size_t>(f.field)]) {
      return Fail(err, kExitDeviceLost,
                  CannotShow(f) +
                      "; give it a value, or 'vexaro set --defaults' stores the "
                      "factory settings.");
    }
  }
  EncodedSettings encoded = EncodeSettings(texts, settings);
  if (encoded.failure) {
    return Fail(err, kExitBadInput,
                Info(encoded.failure->field).key + std::string(" holds ") +
                    QuotedText(encoded.failure->text) + ", which cannot be stored in the device.");
  }
  writes = std::move(encoded.writes);
  return kExitDone;
}

std::size_t StoreBytes(CliSession& session, const std::vector<ByteWrite>& writes,
                       StoreProgress* progress) {
  std::size_t stored = 0;
  for (const ByteWrite& w : writes) {
    if (!session.exchange().SendCommand(command::kStoreByte, w.address, w.value)) break;
    ++stored;
    if (progress != nullptr) progress->acknowledged(stored);
  }
  return stored;
}

int SetSettingsCommand(CliSession& session, const SetRequest& request, std::ostream& err) {
  std::vector<ByteWrite> writes;
  if (const int status = PrepareSettingsWrites(session, request, err, writes); status != 0) {
    return status;
  }
  if (const std::size_t stored = StoreBytes(session, writes); stored < writes.size()) {
    return Fail(err, kExitDeviceLost, LostWhileStoring(stored, writes.size(), "settings bytes."));
  }
  return kExitDone;
}

}  // namespace vexaro
