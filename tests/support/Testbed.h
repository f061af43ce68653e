#pragma once
// A Vexaro plugged into a umockdev testbed: udev sends its "add" event, and hidapi enumerates it
// as a real one. Only under umockdev-wrapper. No Qt here: umockdev's GLib headers and Qt's
// keywords do not mix.

namespace vexaro {

class Testbed {
 public:
  // Whether the program runs under umockdev-wrapper, which the testbed needs.
  static bool active();

  Testbed();
  ~Testbed();

  void plugIn();  // the device arrives as /dev/hidraw0, with an "add" event
 private:
  void* testbed_;
};

}  // namespace vexaro
