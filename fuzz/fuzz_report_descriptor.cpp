// The report descriptor comes from the device: a faulty or hostile one must not crash the host.
//
// Input: the descriptor's bytes.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "FuzzCheck.h"
#include "link/ReportDescriptor.h"

using namespace vexaro;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> descriptor(data, size);
  const std::optional<ReportLengths> lengths = ParseReportDescriptor(descriptor);
  if (!lengths) return 0;

  // Reports are clamped to 65535 bytes, plus one for the report ID; 0 means none of that kind.
  FUZZ_CHECK(lengths->input >= 0 && lengths->input <= 65536);
  FUZZ_CHECK(lengths->output >= 0 && lengths->output <= 65536);
  // The output reports counted are the ones the output length measures: none, or up to one per ID.
  FUZZ_CHECK((lengths->outputReports == 0) == (lengths->output == 0));
  FUZZ_CHECK(lengths->outputReports <= 256);

  // One more End Collection item after a complete descriptor changes no length.
  std::vector<std::uint8_t> longer(descriptor.begin(), descriptor.end());
  longer.push_back(0xC0);
  FUZZ_CHECK(ParseReportDescriptor(longer) == lengths);
  return 0;
}
