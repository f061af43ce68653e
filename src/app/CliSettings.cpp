#include "app/CliSettings.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "app/VexaroCli.h"
#include "backup/DeviceBackup.h"
#include "common/QuotedText.h"
#include "settings/SettingsChange.h"
#include "settings/SettingsRead.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsValues.h"
#include "storage/BackupFormat.h"
#include "storage/FileAccess.h"

namespace vexaro {

namespace {

// Reads the 29 settings bytes: 0, or the exit status.
int ReadBytes(CliSession& session, DeviceSettings& settings, std::ostream& err) {
  if (const auto lost = ReadSettingsBytes(session.usb(), session.link(), settings)) {
    return Fail(err, kExitDeviceLost, LostWhileReading(*lost));
  }
  return 0;
}

// What `set` stores, worked out before the first write (PlanSettingsChange): 0 with `writes`
// set, or the exit status after one sentence on `err`.
int PrepareWrites(CliSession& session, const SetRequest& request, std::ostream& err,
                  std::vector<ByteWrite>& writes) {
  writes.clear();
  DeviceSettings settings{};
  if (const int status = ReadBytes(session, settings, err); status != 0) return status;
  SettingsChange change = PlanSettingsChange(settings, request.values, request.defaults);
  if (!change.refusal.empty()) {
    return Fail(err, change.deviceByte ? kExitDeviceLost : kExitBadInput, change.refusal);
  }
  writes = std::move(change.writes);
  return kExitDone;
}

}  // namespace

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

int SetSettingsCommand(CliSession& session, const SetRequest& request, std::ostream& err) {
  std::vector<ByteWrite> writes;
  if (const int status = PrepareWrites(session, request, err, writes); status != 0) {
    return status;
  }
  if (const std::size_t stored = StoreBytes(session.exchange(), writes); stored < writes.size()) {
    return Fail(err, kExitDeviceLost, LostWhileStoring(stored, writes.size(), "settings bytes."));
  }
  return kExitDone;
}

}  // namespace vexaro
