#include "app/windows/ParentConsole.h"

#include <windows.h>

#include <cstdio>
#include <iostream>
#include <mutex>

namespace vexaro {

namespace {

// Held while `quitProgram` is called, so that no call is under way once the handler is gone.
std::mutex quitting;
void (*quitProgram)() = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  {
    const std::lock_guard lock(quitting);
    if (quitProgram == nullptr) return FALSE;
    quitProgram();
  }
  // After a close Windows ends the process as soon as this returns: the program gets the few
  // seconds Windows allows to save the simulated memory and end by itself. (A program with a
  // window is never told of a log-off or a shut-down here; its window is.)
  if (event == CTRL_CLOSE_EVENT) Sleep(4000);
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

QuitOnConsoleEvents::QuitOnConsoleEvents(void (*quit)()) {
  {
    const std::lock_guard lock(quitting);
    quitProgram = quit;
  }
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

QuitOnConsoleEvents::~QuitOnConsoleEvents() {
  SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
  const std::lock_guard lock(quitting);  // a call under way ends first
  quitProgram = nullptr;
}

}  // namespace vexaro
