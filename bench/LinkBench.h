#pragma once
// The operations bench_vexaro measures, each with the number of reports it moves over the USB.

#include <benchmark/benchmark.h>

#include <span>

namespace vexaro::bench {

struct Operation {
  const char* name;   // the benchmark's name (what --benchmark_filter matches)
  const char* label;  // what the table calls it
  // Reports the operation moves over the USB, each one full-speed interrupt transfer.
  int reports;
  // Reports of the USB time it is compared with: its own, or for work that moves nothing itself
  // (parsing a ring tone), those of the upload it prepares.
  int floorReports;
  void (*run)(benchmark::State&);
};

std::span<const Operation> Operations();

}  // namespace vexaro::bench
