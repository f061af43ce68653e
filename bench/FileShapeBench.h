#pragma once
// The file shapes that cost a JSON reader most, each as large as the tool reads (1 MiB), read as
// `restore` and `set --from` read them. Any of them must be refused (or taken) within kFileLimitMs.

#include <benchmark/benchmark.h>

#include <ostream>
#include <span>

#include "FloorTable.h"

namespace vexaro::bench {

inline constexpr double kFileLimitMs = 100.0;

struct FileShape {
  const char* name;   // the benchmark's name
  const char* label;  // what the table calls it
  void (*run)(benchmark::State&);
};

std::span<const FileShape> FileShapes();

// The table of the shapes against kFileLimitMs; returns how many missed it.
int PrintFileShapeTable(std::ostream& out, const FloorReporter& reporter);

}  // namespace vexaro::bench
