#pragma once
// The closing table of bench_vexaro: each operation's host time as a share of the time the USB
// itself needs for it (the floor), against the target of less than 1 %.

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "LinkBench.h"

namespace vexaro::bench {

// What bench_vexaro prints while it runs (the usual console lines), keeping the per-operation
// times for the table.
class FloorReporter final : public benchmark::ConsoleReporter {
 public:
  FloorReporter();
  void ReportRuns(const std::vector<Run>& runs) override;

  // Mean wall time of one operation, in seconds, over every repetition; absent when the
  // benchmark did not run or failed.
  const std::map<std::string, std::vector<double>>& secondsPerOperation() const { return seconds_; }
  bool anyFailed() const { return anyFailed_; }

 private:
  std::map<std::string, std::vector<double>> seconds_;
  bool anyFailed_ = false;
};

// One report: one full-speed interrupt transfer, one per 1 ms frame.
inline constexpr double kMillisecondsPerReport = 1.0;
// The host may take at most this share of the USB time.
inline constexpr double kTargetPercent = 1.0;

// Prints the table; returns how many measured operations missed the target.
int PrintFloorTable(std::ostream& out, std::span<const Operation> operations,
                    const FloorReporter& reporter, const char* buildType);

}  // namespace vexaro::bench
