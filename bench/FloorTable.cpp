#include "FloorTable.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <string>

namespace vexaro::bench {

namespace {

benchmark::ConsoleReporter::OutputOptions ConsoleOptions() {
  // Colour only for a terminal, so that `make bench > file` stays plain text.
#ifdef _WIN32
  const bool terminal = ::_isatty(::_fileno(stdout)) != 0;
#else
  const bool terminal = ::isatty(STDOUT_FILENO) != 0;
#endif
  return terminal ? benchmark::ConsoleReporter::OO_ColorTabular
                  : benchmark::ConsoleReporter::OO_Tabular;
}

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Three significant digits, in plain decimals: 0.00107 rather than 1.07e-03.
std::string Significant(double value) {
  if (value <= 0) return "0";
  const int decimals = std::clamp(2 - static_cast<int>(std::floor(std::log10(value))), 0, 9);
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace

FloorReporter::FloorReporter() : ConsoleReporter(ConsoleOptions()) {}

void FloorReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    if (run.error_occurred) {
      anyFailed_ = true;
      continue;
    }
    // With repetitions the library adds mean, median and so on; the table takes the mean of the
    // repetitions itself, so only the plain runs count.
    if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
    seconds_[run.run_name.function_name].push_back(run.real_accumulated_time /
                                                   static_cast<double>(run.iterations));
  }
  ConsoleReporter::ReportRuns(runs);
}

int PrintFloorTable(std::ostream& out, std::span<const Operation> operations,
                    const FloorReporter& reporter, const char* buildType) {
  constexpr int kOperationWidth = 37;
  char line[160];
  const auto row = [&](const char* operation, const std::string& host, const std::string& floor,
                       const std::string& share, const char* target, const char* met) {
    std::snprintf(line, sizeof line, "%-*s %14s %14s %14s %8s %5s\n", kOperationWidth, operation,
                  host.c_str(), floor.c_str(), share.c_str(), target, met);
    out << line;
  };

  out << "\nHost time against the USB floor (build: " << buildType << ")\n"
      << "  host time: mean wall time of one operation on the simulated device without latency\n"
      << "             (virtual time: nothing waits, so this is the host's own work)\n"
      << "  USB floor: 1 ms per report (one full-speed interrupt transfer), 2 reports a command\n"
      << "  (a warning above that the library was built as DEBUG concerns the installed benchmark\n"
      << "  library, not the code measured here)\n\n";
  row("operation", "host time (us)", "USB floor (ms)", "host share (%)", "target", "met");
  out << std::string(kOperationWidth + 60, '-') << '\n';

  int missed = 0;
  bool footnote = false;
  for (const Operation& operation : operations) {
    const auto found = reporter.secondsPerOperation().find(operation.name);
    const double floorMs = operation.floorReports * kMillisecondsPerReport;
    std::string floorText = Format("%.0f", floorMs);
    if (operation.reports != operation.floorReports) {
      floorText += '*';
      footnote = true;
    }
    if (found == reporter.secondsPerOperation().end() || found->second.empty()) {
      row(operation.label, "not run", floorText, "-", "< 1%", "-");
      continue;
    }
    const std::vector<double>& seconds = found->second;
    const double mean =
        std::accumulate(seconds.begin(), seconds.end(), 0.0) / static_cast<double>(seconds.size());
    const double hostUs = mean * 1e6;
    const double share = hostUs / (floorMs * 1000.0) * 100.0;
    const bool met = share < kTargetPercent;
    if (!met) ++missed;
    row(operation.label, Significant(hostUs), floorText, Significant(share), "< 1%",
        met ? "yes" : "no");
  }
  if (footnote) {
    out << "* moves no reports itself; compared with the upload of the 100 bytes it produces\n";
  }
  return missed;
}

}  // namespace vexaro::bench
