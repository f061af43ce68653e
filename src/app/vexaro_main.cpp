#include <csignal>
#include <cstdio>
#include <iostream>

#include "app/CheckedOutput.h"
#include "app/VexaroCli.h"
#ifdef _WIN32
#include <io.h>

#include "link/windows/WinText.h"
#else
#include <unistd.h>
#endif

namespace {

bool StandardErrorIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO) == 1;
#endif
}

int Run(int argc, char** argv) {
#ifdef _WIN32
  // Windows gives argv in the ANSI code page; the tool works in UTF-8, as on every other system.
  static_cast<void>(argc);
  static_cast<void>(argv);
  const vexaro::Utf8Console console;
  const std::vector<std::string> args = vexaro::Utf8CommandLineArguments();
#else
  // A reader that closed the pipe makes a write fail, to be told, rather than end the tool unheard.
  std::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string> args(argv + 1, argv + argc);
#endif
  vexaro::CheckedOutput output(stdout);
  std::ostream out(&output);
  return vexaro::RunVexaroCli(args, out, std::cerr, nullptr, vexaro::kDeviceLockWait, nullptr,
                              StandardErrorIsTerminal());
}

}  // namespace

// Whatever escapes is told in one sentence, never as an abort and a core dump.
int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "vexaro: " << vexaro::UnexpectedError(e.what()) << '\n';
  } catch (...) {
    std::cerr << "vexaro: " << vexaro::UnexpectedError("no details given") << '\n';
  }
  return vexaro::kExitInternalError;
}
