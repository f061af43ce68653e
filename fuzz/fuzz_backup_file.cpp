// A backup file as someone may hand it to `restore` or `set --from`: any text, and the backup of
// any device memory.
//
// Input: when byte 0 is 0, the next 128 bytes (missing ones 0) are a device's memory: its backup
// text must parse back to the same bytes, with its texts matching them. Otherwise the whole input
// is the text of a file, read as a backup and as the settings of `set --from`; what is accepted
// is whole and written back unchanged.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "storage/BackupFormat.h"
#include "common/QuotedText.h"

using namespace vexaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 0 && data[0] == 0) {
    DeviceMemory memory{};
    std::copy_n(data + 1, std::min(size - 1, memory.size()), memory.begin());
    const Result<Backup> back = ParseBackupText(BackupText(memory, {"1: a note"}), "memory");
    FUZZ_CHECK(back.ok());
    FUZZ_CHECK(back->memory == memory);
    FUZZ_CHECK(
        std::equal(back->melody.begin(), back->melody.end(), memory.begin() + kMelodyAddress));
    return 0;
  }

  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Result<Backup> backup = ParseBackupText(text, "file");
  if (!backup) {
    // One line, quoting nothing raw and nothing long.
    FUZZ_CHECK(backup.why().find('\n') == std::string::npos);
    FUZZ_CHECK(backup.why().find('\x1b') == std::string::npos);
    FUZZ_CHECK(backup.why().size() < 400);
  } else {
    FUZZ_CHECK(backup->format == 1 || backup->format == kBackupFormat);
    FUZZ_CHECK(backup->memory.has_value() == (backup->format == kBackupFormat));
    FUZZ_CHECK(backup->trim >= -7 && backup->trim <= 7);
    if (backup->memory) {
      // Accepted with its texts matching its bytes: written again, it is the same backup.
      const Result<Backup> again = ParseBackupText(BackupText(*backup->memory, {}), "again");
      FUZZ_CHECK(again.ok() && again->memory == backup->memory);
      FUZZ_CHECK(std::is_permutation(again->settings.begin(), again->settings.end(),
                                     backup->settings.begin(), backup->settings.end()));
    }
  }
  const Result<KeyValues> settings = ParseSettingsText(text, "file");
  if (!settings) FUZZ_CHECK(settings.why().find('\n') == std::string::npos);
  if (backup) FUZZ_CHECK(settings.ok());

  // Quoting keeps to one line of printable text and a readable length.
  const std::string quoted = QuotedText(text);
  FUZZ_CHECK(std::none_of(quoted.begin(), quoted.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
  }));
  FUZZ_CHECK(quoted.size() <= 2 + kQuotedLength * 8 + 3);  // "..."... and C1 escapes
  return 0;
}
