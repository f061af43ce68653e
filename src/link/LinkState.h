#pragma once
// The link state: one object, owned by the program's main and passed by reference, with the names
// the rest of the program uses for it.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "link/HidPlatform.h"

namespace vexaro {

struct LinkState {
  // True while the device has been found and its handles are open.
  bool DeviceDetected = false;

  // Data bytes of the next output report: [0] command, [1] and [2] its arguments. Nothing clears
  // it: a command sets only the bytes it uses and the rest keep the previous command's values.
  std::array<std::uint8_t, 8> OutputReport{};

  // Data bytes of the last input report; [0] is the reply byte.
  std::array<std::uint8_t, 8> InputReport{};

  // The device opened twice: one handle for writes, one for reads.
  std::unique_ptr<HidDevice> WriteHandle;
  std::unique_ptr<HidDevice> ReadHandle;

  // Report lengths in bytes, report-ID byte included, from the device's report descriptor.
  std::int16_t InputReportLength = 0;
  std::int16_t OutputReportLength = 0;

  // Byte 0 of every output report: the device's output report ID, 0 for unnumbered reports.
  std::uint8_t OutputReportId = 0;

  // The path of the device in use (after a successful search).
  std::string DevicePath;

  // Set by a search that found a matching device it was not allowed to open (empty otherwise), so
  // that the window and the command-line tool can say so instead of "not found".
  std::string NoAccessPath;
  // Why NoAccessPath was refused: NoPermission (this user or the system) or InUse (another
  // program holds it open).
  OpenError NoAccessError = OpenError::NoPermission;

  // Set by a search that passed a matching device by (it cannot be opened, or its reports are not
  // ones the link can carry): the first such device's path and why, in a few words.
  std::string UnusablePath;
  std::string UnusableReason;

  // Set by a search when the platform's HID service is not working (see HidPlatform), so that
  // nobody is told "not found" when nothing could be looked at.
  std::string ServiceFailure;
};

}  // namespace vexaro
