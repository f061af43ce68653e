#include "app/windows/ParentConsole.h"

#include <windows.h>

#include <cstdio>
#include <iostream>

namespace vexaro {

namespace {

void (*quitProgram)() = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (quitProgram == nullptr) return FALSE;
  quitProgram();
  // After a close, a logoff or a shutdown Windows ends the process as soon as this returns: the
  // window gets the few seconds Windows allows to save the simulated memory and end by itself.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    Sleep(4000);
  }
  return TRUE;
}

bool GoesSomewhere(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

bool UseParentConsole() {
  if (GoesSomewhere(STD_ERROR_HANDLE)) return true;
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  if (!GoesSomewhere(STD_OUTPUT_HANDLE)) static_cast<void>(std::freopen("CONOUT$", "w", stdout));
  static_cast<void>(std::freopen("CONOUT$", "w", stderr));
  std::cout.clear();
  std::cerr.clear();
  // The prompt came back when the window program started: the lines begin on a fresh one.
  std::fputs("\n", stderr);
  return true;
}

void QuitOnConsoleEvents(void (*quit)()) {
  quitProgram = quit;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace vexaro
