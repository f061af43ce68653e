// bench_vexaro: runs the benchmarks of LinkBench.cpp, then prints how each figure compares with
// the USB time of the same operation. Takes the usual benchmark options (--benchmark_filter,
// --benchmark_repetitions, --benchmark_out=FILE --benchmark_out_format=json, ...).

#include <benchmark/benchmark.h>

#include <iostream>

#include "FileShapeBench.h"
#include "FloorTable.h"
#include "LinkBench.h"

#ifndef VEXARO_BENCH_BUILD
#define VEXARO_BENCH_BUILD "unknown"
#endif

int main(int argc, char** argv) {
  for (const vexaro::bench::Operation& operation : vexaro::bench::Operations()) {
    benchmark::RegisterBenchmark(operation.name, operation.run)->Unit(benchmark::kMicrosecond);
  }
  for (const vexaro::bench::FileShape& shape : vexaro::bench::FileShapes()) {
    benchmark::RegisterBenchmark(shape.name, shape.run)->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  vexaro::bench::FloorReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  std::cout.flush();
  const int missed = vexaro::bench::PrintFloorTable(std::cout, vexaro::bench::Operations(),
                                                    reporter, VEXARO_BENCH_BUILD) +
                     vexaro::bench::PrintFileShapeTable(std::cout, reporter);
  std::cout << (missed == 0 ? "Every measured operation meets its target.\n"
                            : "Some operations miss their target (see \"met\").\n");
  // The numbers are for reading; only an operation that failed outright fails the program.
  return reporter.anyFailed() ? 1 : 0;
}
