// The stand-in device as a program of its own, for the scripts that run vexaro.exe as a user
// does: one Vexaro on a named pipe, its memory loaded from and saved to a file as --simulate=FILE
// keeps it.
//
//   winhid_standin_device TAG CATALOGUE [MEMORY]
//
// writes the catalogue (one interface, named after TAG), serves it, prints "ok" once its pipes
// listen (or "failed" when MEMORY cannot be used: the caller lets vexaro.exe say why), and ends
// when its standard input ends, every handle closed and the memory saved.

#include <fstream>
#include <iostream>
#include <string>

#include "StandInDevice.h"
#include "link/windows/WinText.h"
#include "simulator/SimulatedStoreFile.h"

int main() {
  using namespace vexaro;
  const std::vector<std::string> args = Utf8CommandLineArguments();
  if (args.size() < 2) {
    std::cerr << "usage: winhid_standin_device TAG CATALOGUE [MEMORY]\n";
    return 2;
  }
  const std::string& tag = args[0];
  const std::string memory = args.size() > 2 ? args[2] : "";
  DeviceStore store = FactoryStore();
  bool usable = true;
  if (!memory.empty()) {
    const Result<DeviceStore> loaded = LoadStoreFile(memory);
    usable = loaded && CheckStoreFileWritable(memory);
    if (loaded) store = *loaded;
  }
  if (!usable) {
    std::cout << "failed" << std::endl;
    return 0;
  }
  standin::DeviceBehaviour vexaro;
  vexaro.entry = {
      R"(\\.\pipe\hid#vid_04d8&pid_47a1#)" + tag + "#{4d1e55b2-f16f-11cf-88cb-001111000030}",
      kVexaroVendorId,
      kVexaroProductId,
      9,
      9,
      std::vector<std::uint8_t>(8, 0),
      std::vector<std::uint8_t>(8, 0)};
  standin::Catalogue catalogue;
  catalogue.interfaces.push_back(vexaro.entry);
  std::ofstream(args[1]) << standin::FormatCatalogue(catalogue);
  {
    standin::StandInDevices devices({vexaro}, store);
    std::cout << "ok" << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
    }
    devices.waitUntilAllClosed();
    const auto lock = devices.locked();
    store = devices.firmware().store();
  }
  if (!memory.empty() && !SaveStoreFile(memory, store)) return 1;
  return 0;
}
