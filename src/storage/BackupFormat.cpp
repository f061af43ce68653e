#include "storage/BackupFormat.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

#include "calibration/Trim.h"
#include "common/QuotedText.h"
#include "settings/SettingsFields.h"
#include "settings/SettingsRecord.h"
#include "settings/SettingsValues.h"
#include "storage/CheckedJson.h"

namespace vexaro {

namespace {

constexpr const char* kFormatKey = "vexaro-backup";
constexpr const char* kSettingsKey = "settings";
constexpr const char* kTrimKey = "trim";
constexpr const char* kMelodyKey = "melody";
constexpr const char* kNotesKey = "notes";
constexpr const char* kMemoryKey = "memory";
constexpr std::size_t kMemoryLineBytes = 16;
constexpr std::size_t kMemoryLines = kStoreSize / kMemoryLineBytes;

// A JSON value as a sentence quotes it: a text escaped and cut after a readable length, a
// number as JSON, a list or an object by its kind alone.
std::string Describe(const Json& value) {
  if (value.is_string()) return QuotedText(value.get<std::string>());
  if (value.is_array()) return "a list";
  if (value.is_object()) return "an object";
  return value.dump();
}

// The version byte whose version number the window shows as `text`.
std::optional<std::uint8_t> VersionByte(std::string_view text) {
  static const std::array<std::string, 256> versionTexts = [] {
    std::array<std::string, 256> texts;
    for (std::size_t b = 0; b < texts.size(); ++b) {
      texts[b] = VersionText(static_cast<std::uint8_t>(b));
    }
    return texts;
  }();
  const auto found = std::find(versionTexts.begin(), versionTexts.end(), text);
  if (found == versionTexts.end()) return std::nullopt;
  return static_cast<std::uint8_t>(found - versionTexts.begin());
}

bool IsSettingKey(const std::string& key) {
  return key == "version" || key == "range" || FieldByKey(key).has_value();
}

// A whole number from -7 to 7, tested before any conversion that could wrap.
std::optional<int> TrimNumber(const Json& value) {
  if (value.is_number_unsigned()) {
    const auto number = value.get<std::uint64_t>();
    if (number <= static_cast<std::uint64_t>(kMaxTrim)) return static_cast<int>(number);
  } else if (value.is_number_integer()) {
    const auto number = value.get<std::int64_t>();
    if (number >= -kMaxTrim && number <= kMaxTrim) return static_cast<int>(number);
  }
  return std::nullopt;
}

// The trim as a backup of this byte gives it: the trim, or why it cannot be shown.
Json TrimValue(std::uint8_t byte) {
  const int trim = DecodeTrim(byte);
  if (EncodeTrim(trim)) return trim;
  return UnshownText(byte, kTrimAddress);
}

// Two-digit hexadecimal bytes separated by white space into `bytes`, all of them; `wanted` says
// what the text must be.
Result<void> HexBytes(const Json& value, std::span<std::uint8_t> bytes, const std::string& wanted) {
  if (!value.is_string()) return Failure{wanted + ", not " + Describe(value) + "."};
  constexpr std::string_view kBlanks = " \t\n\v\f\r";
  std::string_view rest = value.get_ref<const std::string&>();
  std::size_t count = 0;
  for (std::size_t start; (start = rest.find_first_not_of(kBlanks)) != rest.npos; ++count) {
    rest.remove_prefix(start);
    const std::string_view byte = rest.substr(0, rest.find_first_of(kBlanks));
    rest.remove_prefix(byte.size());
    unsigned parsed = 0;
    const auto [end, ec] = std::from_chars(byte.data(), byte.data() + byte.size(), parsed, 16);
    if (byte.size() != 2 || ec != std::errc() || end != byte.data() + byte.size()) {
      return Failure{wanted + "; " + QuotedText(byte) + " is not one."};
    }
    if (count < bytes.size()) bytes[count] = static_cast<std::uint8_t>(parsed);
  }
  if (count != bytes.size()) return Failure{wanted + "; it holds " + std::to_string(count) + "."};
  return {};
}

Result<DeviceMemory> MemoryBytes(const Json& value, const std::string& name) {
  const std::string wanted = "the memory in " + name + " must be " + std::to_string(kMemoryLines) +
                             " lines of " + std::to_string(kMemoryLineBytes) +
                             " two-digit hexadecimal bytes";
  if (!value.is_array()) return Failure{wanted + ", not " + Describe(value) + "."};
  if (value.size() != kMemoryLines) {
    return Failure{wanted + "; it holds " + std::to_string(value.size()) + " lines."};
  }
  DeviceMemory memory{};
  for (std::size_t line = 0; line < kMemoryLines; ++line) {
    const std::span<std::uint8_t> bytes(memory.data() + line * kMemoryLineBytes, kMemoryLineBytes);
    if (const Result<void> read =
            HexBytes(value[line], bytes, wanted + " (line " + std::to_string(line + 1) + ")");
        !read) {
      return Failure{read.why()};
    }
  }
  return memory;
}

// The settings object of a backup: known keys, texts only, a range and a version, and exactly
// the fields that firmware has.
Result<KeyValues> CheckSettings(const Json& object, const std::string& name) {
  if (!object.is_object()) return Failure{"the settings in " + name + " are not a JSON object."};
  KeyValues values;
  for (const auto& [key, value] : object.items()) {
    if (!IsSettingKey(key)) {
      return Failure{name + " holds a setting " + QuotedText(key) + " that no Vexaro has."};
    }
    if (!value.is_string()) {
      return Failure{"the setting " + QuotedText(key) + " in " + name + " is not a text."};
    }
    values.emplace_back(key, value.get<std::string>());
  }
  const auto valueOf = [&](const std::string& key) -> std::optional<std::string> {
    if (!object.contains(key)) return std::nullopt;
    return object[key].get<std::string>();
  };
  const std::optional<std::string> range = valueOf("range");
  if (!range) return Failure{"the settings in " + name + " have no \"range\"."};
  if (*range != "7V" && *range != "70V") {
    return Failure{"the range in " + name + " must be 7V or 70V, not " + QuotedText(*range) + "."};
  }
  const std::optional<std::string> version = valueOf("version");
  if (!version) return Failure{"the settings in " + name + " have no \"version\"."};
  if (!VersionByte(*version)) {
    return Failure{"the version in " + name +
                   " must be a firmware version from 0.0 to 25.5 such as 3.1, not " +
                   QuotedText(*version) + "."};
  }
  DeviceSettings versionOnly{};
  versionOnly[address::kVersion] = *VersionByte(*version);
  const bool version30 = HasVersion30Fields(versionOnly);
  for (const FieldInfo& info : AllFields()) {
    const bool given = object.contains(info.key);
    if (info.needsVersion30 && !version30 && given) {
      return Failure{name + " holds " + info.key + ", which firmware " + *version +
                     " does not have."};
    }
    if ((!info.needsVersion30 || version30) && !given) {
      return Failure{"the settings in " + name + " have no " + QuotedText(info.key) + "."};
    }
  }
  return values;
}

// A setting or trim of the file that is not what its bytes show.
Failure Edited(const std::string& what, const std::string& name, const std::string& reads,
               const std::string& shows, const std::string& advice) {
  return Failure{"the " + what + " in " + name + " reads " + reads +
                 ", but its memory bytes show " + shows + "; " + advice + "."};
}

// The settings and the trim of a format-2 file against what its memory shows.
Result<void> CheckTexts(const Backup& backup, const Json& trim, const std::string& name) {
  const DeviceMemory& memory = *backup.memory;
  const auto given = [&](const std::string& key) -> std::string {
    const auto found = std::find_if(backup.settings.begin(), backup.settings.end(),
                                    [&](const auto& value) { return value.first == key; });
    return found == backup.settings.end() ? std::string() : found->second;
  };
  DeviceSettings settings{};
  std::copy_n(memory.begin(), settings.size() - 2, settings.begin());
  const std::string editAdvice =
      "a restore stores the bytes, so store an edited setting with 'vexaro set --from " + name +
      "'";
  for (const auto& [key, shown] : SettingsValues(ShowSettings(settings, true))) {
    if (given(key) == shown) continue;
    const bool identity = key == "version" || key == "range";
    return Edited(key, name, QuotedText(given(key)), QuotedText(shown),
                  identity ? "the version and the range are the device's own and cannot be edited"
                           : editAdvice);
  }
  if (const Json shownTrim = TrimValue(memory[kTrimAddress]); trim != shownTrim) {
    return Edited("trim", name, Describe(trim), Describe(shownTrim),
                  "a restore stores the bytes, so store an edited trim with 'vexaro trim'");
  }
  return {};
}

std::string HexLine(std::span<const std::uint8_t> bytes) {
  std::string line;
  for (const std::uint8_t byte : bytes) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", byte);
    line += (line.empty() ? "" : " ") + std::string(hex);
  }
  return line;
}

}  // namespace

bool IsVersionText(std::string_view text) {
  return VersionByte(text).has_value();
}

std::string BackupText(const DeviceMemory& memory, const std::vector<std::string>& notes) {
  DeviceSettings settings{};
  std::copy_n(memory.begin(), settings.size() - 2, settings.begin());
  Json file;
  file[kFormatKey] = kBackupFormat;
  Json values = Json::object();
  for (const auto& [key, value] : SettingsValues(ShowSettings(settings, true))) values[key] = value;
  file[kSettingsKey] = values;
  file[kTrimKey] = TrimValue(memory[kTrimAddress]);
  file[kNotesKey] = notes;
  Json lines = Json::array();
  for (std::size_t line = 0; line < kMemoryLines; ++line) {
    lines.push_back(HexLine(std::span(memory).subspan(line * kMemoryLineBytes, kMemoryLineBytes)));
  }
  file[kMemoryKey] = lines;
  return file.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

namespace {

// The backup that the file `name` (quoted) holds, checked whole.
Result<Backup> CheckBackup(const Json& file, const std::string& name, bool textsMatchBytes) {
  if (!file.is_object() || !file.contains(kFormatKey)) {
    return Failure{name + " is not a file that 'vexaro backup' wrote (it has no \"" + kFormatKey +
                   "\" key)."};
  }
  Backup backup;
  const Json& format = file[kFormatKey];
  if (format == 1 && format.is_number_integer()) {
    backup.format = 1;
  } else if (format == kBackupFormat && format.is_number_integer()) {
    backup.format = kBackupFormat;
  } else {
    return Failure{name + " is a backup of format " + Describe(format) +
                   ", which this vexaro cannot read."};
  }
  const char* const bytesKey = backup.format == 1 ? kMelodyKey : kMemoryKey;
  for (const auto& [key, value] : file.items()) {
    if (key != kFormatKey && key != kSettingsKey && key != kTrimKey && key != kNotesKey &&
        key != bytesKey) {
      return Failure{name + " holds a key " + QuotedText(key) + " that a backup of format " +
                     std::to_string(backup.format) + " does not have."};
    }
  }
  for (const char* key : {kSettingsKey, kTrimKey, bytesKey}) {
    if (!file.contains(key)) {
      return Failure{name + " has no \"" + key + "\"; it is not a whole backup."};
    }
  }
  Result<KeyValues> settings = CheckSettings(file[kSettingsKey], name);
  if (!settings) return Failure{settings.why()};
  backup.settings = *std::move(settings);
  if (file.contains(kNotesKey)) {
    const Json& notes = file[kNotesKey];
    if (!notes.is_array() ||
        !std::all_of(notes.begin(), notes.end(), [](const Json& n) { return n.is_string(); })) {
      return Failure{"the notes in " + name + " must be a list of texts."};
    }
  }

  const Json& trim = file[kTrimKey];
  const std::optional<int> trimNumber = TrimNumber(trim);
  if (!trimNumber && (backup.format == 1 || !trim.is_string())) {
    return Failure{"the trim in " + name + " must be a whole number from -7 to 7, not " +
                   Describe(trim) + "."};
  }
  if (backup.format == 1) {
    backup.trim = *trimNumber;
    const std::string wanted = "the melody in " + name + " must be " +
                               std::to_string(backup.melody.size()) +
                               " two-digit hexadecimal bytes";
    if (const Result<void> melody = HexBytes(file[kMelodyKey], backup.melody, wanted); !melody) {
      return Failure{melody.why()};
    }
    return backup;
  }
  Result<DeviceMemory> memory = MemoryBytes(file[kMemoryKey], name);
  if (!memory) return Failure{memory.why()};
  backup.memory = *memory;
  std::copy_n(memory->begin() + kMelodyAddress, kMelodySize, backup.melody.begin());
  if (textsMatchBytes) {
    if (const Result<void> texts = CheckTexts(backup, trim, name); !texts) {
      return Failure{texts.why()};
    }
  }
  return backup;
}

}  // namespace

Result<Backup> ParseBackupText(std::string_view text, const std::string& path,
                               bool textsMatchBytes) {
  const std::string name = QuotedText(path);
  const Result<Json> parsed = ParseCheckedJson(text, name, name + " is not a JSON file.");
  if (!parsed) return Failure{parsed.why()};
  return CheckBackup(*parsed, name, textsMatchBytes);
}

Result<KeyValues> ParseSettingsText(std::string_view text, const std::string& path) {
  const std::string name = QuotedText(path);
  const std::string notSettings =
      name + " does not hold a JSON object such as 'vexaro read --json' prints.";
  Result<Json> parsed = ParseCheckedJson(text, name, notSettings);
  if (!parsed) return Failure{parsed.why()};
  if (parsed->is_object() && parsed->contains(kFormatKey)) {
    // A backup file: its settings texts, as a person may have edited them.
    Result<Backup> backup = CheckBackup(*parsed, name, false);
    if (!backup) return Failure{backup.why()};
    return backup->settings;
  }
  if (!parsed->is_object()) return Failure{notSettings};
  KeyValues values;
  for (const auto& [key, value] : parsed->items()) {
    if (!IsSettingKey(key)) {
      return Failure{"there is no setting " + QuotedText(key) +
                     " (see 'vexaro read' for the keys)."};
    }
    if (!value.is_string()) {
      return Failure{name + ": the value of " + QuotedText(key) + " is not a text."};
    }
    if (key == "version" && !IsVersionText(value.get<std::string>())) {
      return Failure{"the version in " + name +
                     " must be a firmware version from 0.0 to 25.5 such as 3.1, not " +
                     Describe(value) + "."};
    }
    values.emplace_back(key, value.get<std::string>());
  }
  return values;
}

}  // namespace vexaro
