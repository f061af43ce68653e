#pragma once
// The window program's console on Windows. A window program gets none of its own, so what
// --trace prints would be lost when it is started from cmd or PowerShell; and a console it
// shares would end it at Ctrl+C without closing the window, losing the simulated memory.

namespace vexaro {

// Writes standard output and standard error to the console of the program that started this one
// (cmd, PowerShell), unless they already go somewhere (a pipe, a file). False when there is
// neither.
bool UseParentConsole();

// Ctrl+C, Ctrl+Break or closing that console calls quit (on another thread) instead of ending the
// process at once, so that the window closes as the user would close it.
void QuitOnConsoleEvents(void (*quit)());

}  // namespace vexaro
