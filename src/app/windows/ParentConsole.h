#pragma once
// The window program's console on Windows. A window program gets none of its own, so what
// --trace prints would be lost when it is started from cmd or PowerShell; and a console it
// shares would end it at Ctrl+C without closing the window, losing the simulated memory.

namespace vexaro {

// Writes standard output and standard error to the console of the program that started this one
// (cmd, PowerShell), unless they already go somewhere (a pipe, a file). False when there is
// neither.
bool UseParentConsole();

// While it lives, Ctrl+C, Ctrl+Break or closing that console calls `quit` instead of ending the
// process at once, so that the program ends as closing its window ends it. `quit` runs on a thread
// of the console's own; once this object has gone it is never called again, so it goes before
// whatever `quit` uses.
class QuitOnConsoleEvents {
 public:
  explicit QuitOnConsoleEvents(void (*quit)());
  ~QuitOnConsoleEvents();
  QuitOnConsoleEvents(const QuitOnConsoleEvents&) = delete;
  QuitOnConsoleEvents& operator=(const QuitOnConsoleEvents&) = delete;
};

}  // namespace vexaro
