#pragma once
// The stand-in HID service's list of interfaces: a text file named by VEXARO_STANDIN_CATALOGUE,
// read by the stand-in setupapi.dll and hid.dll at every call and written by the test (or by the
// stand-in device program). One line each:
//
//   fail setupapi                     SetupDiGetClassDevsW fails
//   interface PATH VID PID INPUT OUTPUT INPUT_IDS OUTPUT_IDS [nocaps]
//
// VID and PID in hex; INPUT and OUTPUT the report lengths of HIDP_CAPS; the IDs comma-separated,
// one per value capability ("-": none). nocaps: HidP_GetCaps fails.

#include <cstdint>
#include <string>
#include <vector>

namespace vexaro::standin {

struct CatalogueEntry {
  std::string path;
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  std::uint16_t input = 0;
  std::uint16_t output = 0;
  std::vector<std::uint8_t> inputIds;
  std::vector<std::uint8_t> outputIds;
  bool noCaps = false;
};

struct Catalogue {
  bool setupFails = false;
  std::vector<CatalogueEntry> interfaces;
};

inline constexpr const char* kCatalogueVariable = "VEXARO_STANDIN_CATALOGUE";

std::string FormatCatalogue(const Catalogue& catalogue);
Catalogue ParseCatalogue(const std::string& text);

// Whether a path as GetFileInformationByHandleEx names an open file ("\hid#..." for a pipe,
// "\folder\file" for a file, without the drive) is the catalogue's `path`, in any case.
bool NamesEntry(const std::string& openName, const std::string& path);

}  // namespace vexaro::standin
