#include <iostream>

#include "app/VexaroCli.h"
#ifdef _WIN32
#include "link/windows/WinText.h"
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // Windows gives argv in the ANSI code page; the tool works in UTF-8, as on every other system.
  static_cast<void>(argc);
  static_cast<void>(argv);
  const vexaro::Utf8Console console;
  const std::vector<std::string> args = vexaro::Utf8CommandLineArguments();
#else
  const std::vector<std::string> args(argv + 1, argv + argc);
#endif
  return vexaro::RunVexaroCli(args, std::cout, std::cerr);
}
