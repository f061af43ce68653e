#include "support/Testbed.h"

#include <umockdev.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace vexaro {
namespace {

// A Vexaro on USB as hidapi enumerates it: the hidraw node, its hid parent with the IDs, the USB
// interface and device.
const char* const kVexaroRecord =
    "P: /devices/usb1/1-1/1-1:1.0/0003:04D8:47A1.0001/hidraw/hidraw0\n"
    "N: hidraw0\nE: DEVNAME=/dev/hidraw0\nE: SUBSYSTEM=hidraw\nA: dev=240:0\n"
    "L: device=../../../0003:04D8:47A1.0001\n\n"
    "P: /devices/usb1/1-1/1-1:1.0/0003:04D8:47A1.0001\n"
    "E: SUBSYSTEM=hid\nE: HID_ID=0003:000004D8:000047A1\nE: HID_NAME=Vexaro\nE: HID_UNIQ=\n"
    "H: report_descriptor=0600FF0901A101150026FF0075089508090181020902910209039102C0\n\n"
    "P: /devices/usb1/1-1/1-1:1.0\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n"
    "A: bInterfaceNumber=00\n\n"
    "P: /devices/usb1/1-1\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n"
    "A: idVendor=04d8\nA: idProduct=47a1\nA: manufacturer=Vexaro\nA: product=Vexaro\n";

}  // namespace

bool Testbed::active() {
  // umockdev_in_mock_environment() looks for a path, which umockdev-wrapper does not give.
  const char* preload = std::getenv("LD_PRELOAD");
  return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

Testbed::Testbed() : testbed_(umockdev_testbed_new()) {}

Testbed::~Testbed() {
  g_object_unref(static_cast<UMockdevTestbed*>(testbed_));
}

void Testbed::plugIn() {
  GError* error = nullptr;
  if (!umockdev_testbed_add_from_string(static_cast<UMockdevTestbed*>(testbed_), kVexaroRecord,
                                        &error)) {
    const std::string why = error != nullptr ? error->message : "no reason given";
    if (error != nullptr) g_error_free(error);
    throw std::runtime_error("the testbed took no device: " + why);
  }
}

}  // namespace vexaro
