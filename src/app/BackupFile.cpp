#include "app/BackupFile.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>

#include "app/FileAccess.h"
#include "calibration/Trim.h"
#include "common/Utf8Path.h"
#include "settings/SettingsFields.h"

namespace vexaro {

namespace {

constexpr const char* kFormatKey = "vexaro-backup";
constexpr int kFormat = 1;
constexpr const char* kSettingsKey = "settings";
constexpr const char* kTrimKey = "trim";
constexpr const char* kMelodyKey = "melody";
constexpr const char* kNotesKey = "notes";

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

// The firmware version a "version" text names ("3.1"), or std::nullopt.
std::optional<double> Version(const std::string& text) {
  double value = 0;
  const auto [end, ec] =
      std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty() || value < 0) {
    return std::nullopt;
  }
  return value;
}

Result<void> CheckSettings(const nlohmann::ordered_json& object, const std::string& path,
                           Backup& backup) {
  if (!object.is_object()) return Failure{"the settings in " + path + " are not a JSON object."};
  for (const auto& [key, value] : object.items()) {
    if (key != "version" && key != "range" && !FieldByKey(key)) {
      return Failure{path + " holds a setting " + Quoted(key) + " that no Vexaro has."};
    }
    if (!value.is_string()) {
      return Failure{"the setting " + Quoted(key) + " in " + path + " is not a text."};
    }
    backup.settings.emplace_back(key, value.get<std::string>());
  }
  const auto valueOf = [&](const std::string& key) -> std::optional<std::string> {
    if (!object.contains(key)) return std::nullopt;
    return object[key].get<std::string>();
  };
  const std::optional<std::string> range = valueOf("range");
  if (!range) return Failure{"the settings in " + path + " have no \"range\"."};
  if (*range != "7V" && *range != "70V") {
    return Failure{"the range in " + path + " must be 7V or 70V, not " + Quoted(*range) + "."};
  }
  const std::optional<std::string> versionText = valueOf("version");
  if (!versionText) return Failure{"the settings in " + path + " have no \"version\"."};
  const std::optional<double> version = Version(*versionText);
  if (!version) {
    return Failure{"the version in " + path + " must be a firmware version such as 3.1, not " +
                   Quoted(*versionText) + "."};
  }
  const bool version30 = *version >= 3.0;
  for (const FieldInfo& info : AllFields()) {
    const bool given = object.contains(info.key);
    if (info.needsVersion30 && !version30 && given) {
      return Failure{path + " holds " + info.key + ", which firmware " + *versionText +
                     " does not have."};
    }
    if ((!info.needsVersion30 || version30) && !given) {
      return Failure{"the settings in " + path + " have no " + Quoted(info.key) + "."};
    }
  }
  return {};
}

Result<void> CheckMelody(const nlohmann::ordered_json& value, const std::string& path,
                         TuneImage& melody) {
  const std::string wanted = "the melody in " + path + " must be " + std::to_string(melody.size()) +
                             " two-digit hexadecimal bytes";
  if (!value.is_string()) return Failure{wanted + ", not " + value.dump() + "."};
  std::istringstream in(value.get<std::string>());
  std::size_t count = 0;
  for (std::string byte; in >> byte; ++count) {
    unsigned parsed = 0;
    const auto [end, ec] = std::from_chars(byte.data(), byte.data() + byte.size(), parsed, 16);
    if (byte.size() != 2 || ec != std::errc() || end != byte.data() + byte.size()) {
      return Failure{wanted + "; " + Quoted(byte) + " is not one."};
    }
    if (count < melody.size()) melody[count] = static_cast<std::uint8_t>(parsed);
  }
  if (count != melody.size()) return Failure{wanted + "; it holds " + std::to_string(count) + "."};
  return {};
}

}  // namespace

std::string BackupText(const Backup& backup, const std::vector<std::string>& notes) {
  nlohmann::ordered_json file;
  file[kFormatKey] = kFormat;
  nlohmann::ordered_json settings = nlohmann::ordered_json::object();
  for (const auto& [key, value] : backup.settings) settings[key] = value;
  file[kSettingsKey] = settings;
  file[kTrimKey] = backup.trim;
  std::string melody;
  for (const std::uint8_t byte : backup.melody) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    melody += (melody.empty() ? "" : " ") + std::string(hex);
  }
  file[kMelodyKey] = melody;
  file[kNotesKey] = notes;
  return file.dump(2) + "\n";
}

Result<Backup> ReadBackupFile(const std::string& path) {
  const Result<std::string> text = ReadWholeFile(path);
  if (!text) return Failure{text.why()};
  const nlohmann::ordered_json file = nlohmann::ordered_json::parse(*text, nullptr, false);
  if (file.is_discarded()) return Failure{path + " is not a JSON file."};
  if (!file.is_object() || !file.contains(kFormatKey)) {
    return Failure{path + " is not a file that 'vexaro backup' wrote (it has no \"" + kFormatKey +
                   "\" key)."};
  }
  if (file[kFormatKey] != kFormat) {
    return Failure{path + " is a backup of format " + file[kFormatKey].dump() +
                   ", which this vexaro cannot read."};
  }
  for (const char* key : {kSettingsKey, kTrimKey, kMelodyKey}) {
    if (!file.contains(key)) {
      return Failure{path + " has no \"" + key + "\"; it is not a whole backup."};
    }
  }
  Backup backup;
  if (const Result<void> settings = CheckSettings(file[kSettingsKey], path, backup); !settings) {
    return Failure{settings.why()};
  }
  // A whole number too large for a signed one is an unsigned JSON number: never cast it.
  const nlohmann::ordered_json& trim = file[kTrimKey];
  const bool inRange = trim.is_number_unsigned()  ? trim.get<std::uint64_t>() <= kMaxTrim
                       : trim.is_number_integer() ? std::abs(trim.get<std::int64_t>()) <= kMaxTrim
                                                  : false;
  if (!inRange) {
    return Failure{"the trim in " + path + " must be a whole number from -7 to 7, not " +
                   trim.dump() + "."};
  }
  backup.trim = trim.get<int>();
  if (const Result<void> melody = CheckMelody(file[kMelodyKey], path, backup.melody); !melody) {
    return Failure{melody.why()};
  }
  return backup;
}

}  // namespace vexaro
