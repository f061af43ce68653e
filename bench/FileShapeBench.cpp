#include "FileShapeBench.h"

#include <cstdio>
#include <string>

#include "storage/BackupFormat.h"
#include "storage/FileAccess.h"

namespace vexaro::bench {

namespace {

// `unit` repeated between `head` and `tail` as often as fits in the largest file the tool reads;
// with `close`, one `close` for each `unit` before `tail`.
std::string Filled(const std::string& head, const std::string& unit, const std::string& close,
                   const std::string& tail) {
  const std::size_t count =
      (kMaxReadFileSize - head.size() - tail.size()) / (unit.size() + close.size());
  std::string text = head;
  for (std::size_t i = 0; i < count; ++i) text += unit;
  for (std::size_t i = 0; i < count; ++i) text += close;
  return text + tail;
}

// A flat object of as many different four-letter keys as fit.
std::string ManyKeys() {
  constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string text = "{";
  for (unsigned i = 0; text.size() + 10 < kMaxReadFileSize; ++i) {
    text += '"';
    for (unsigned digit = 0, rest = i; digit < 4; ++digit, rest /= 36) text += kLetters[rest % 36];
    text += "\":0,";
  }
  text.back() = '}';
  return text;
}

// A backup whose first memory line holds as many bytes as fit.
std::string LongMemoryLine() {
  std::string text = BackupText(DeviceMemory{}, {});
  const std::size_t line = text.find("\"00 00");
  const std::string bytes = Filled("", "00 ", "", "");
  return text.insert(line + 1, bytes.substr(0, kMaxReadFileSize - text.size() - 1));
}

// Reads `text` as restore and as `set --from` do; only the time counts, not the answer.
void ReadBoth(benchmark::State& state, const std::string& text) {
  if (text.size() > kMaxReadFileSize) state.SkipWithError("the shape is larger than 1 MiB");
  for (auto _ : state) {
    benchmark::DoNotOptimize(ParseBackupText(text, "file"));
    benchmark::DoNotOptimize(ParseSettingsText(text, "file"));
  }
  state.counters["reports"] = 0;
}

void DeepArrays(benchmark::State& state) {
  ReadBoth(state, Filled("{\"vexaro-backup\":", "[", "]", "}"));
}
void DeepObjects(benchmark::State& state) {
  ReadBoth(state, Filled("", "{\"a\":", ",\"b\":1}", ""));
}
void ManyKeysShape(benchmark::State& state) {
  ReadBoth(state, ManyKeys());
}
void ManyValues(benchmark::State& state) {
  ReadBoth(state, Filled("{\"vexaro-backup\":2,\"notes\":[", "[],", "", "0]}"));
}
void LongKey(benchmark::State& state) {
  ReadBoth(state, Filled("{\"", "\\u001b", "", "\":\"1\"}"));
}
void LongMemory(benchmark::State& state) {
  ReadBoth(state, LongMemoryLine());
}

constexpr FileShape kShapes[] = {
    {"File_DeepArrays", "deep arrays (1 MiB)", DeepArrays},
    {"File_DeepObjects", "deep two-key objects (1 MiB)", DeepObjects},
    {"File_ManyKeys", "one object of 116,000 keys", ManyKeysShape},
    {"File_ManyValues", "a list of 350,000 lists", ManyValues},
    {"File_LongKey", "a key of 1 MiB of escapes", LongKey},
    {"File_LongMemoryLine", "a memory line of 350,000 bytes", LongMemory},
};

}  // namespace

std::span<const FileShape> FileShapes() {
  return kShapes;
}

int PrintFileShapeTable(std::ostream& out, const FloorReporter& reporter) {
  out << "\nFiles read by restore and set --from (both readers, one file each), against "
      << kFileLimitMs << " ms\n\n";
  char line[160];
  int missed = 0;
  for (const FileShape& shape : kShapes) {
    const auto found = reporter.secondsPerOperation().find(shape.name);
    if (found == reporter.secondsPerOperation().end() || found->second.empty()) {
      std::snprintf(line, sizeof line, "%-37s %14s\n", shape.label, "not run");
    } else {
      double ms = 0;
      for (const double seconds : found->second) ms += seconds * 1e3 / found->second.size();
      const bool met = ms < kFileLimitMs;
      if (!met) ++missed;
      std::snprintf(line, sizeof line, "%-37s %11.2f ms %5s\n", shape.label, ms,
                    met ? "yes" : "no");
    }
    out << line;
  }
  return missed;
}

}  // namespace vexaro::bench
