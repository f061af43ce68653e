#pragma once
// A Vexaro plugged into a umockdev testbed, sending udev's "add" event, enumerated by hidapi as a
// real one; only under umockdev-wrapper. No Qt here: umockdev's GLib and Qt's keywords clash.
namespace vexaro {

class Testbed {
 public:
  static bool active();  // whether the program runs under umockdev-wrapper, as the testbed needs

  Testbed();
  ~Testbed();

  void plugIn();  // the device arrives as /dev/hidraw0, with an "add" event
 private:
  void* testbed_;
};

}  // namespace vexaro
