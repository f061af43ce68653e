#include "link/windows/WinText.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// shellapi.h needs windows.h before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <atomic>
#include <climits>
#include <iostream>

namespace vexaro {

std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty() || wide.size() > INT_MAX) return {};
  const int length = static_cast<int>(wide.size());
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), size, nullptr, nullptr);
  }
  return utf8;
}

std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty() || utf8.size() > INT_MAX) return {};
  const int length = static_cast<int>(utf8.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), size);
  return wide;
}

std::vector<std::string> Utf8Arguments(const wchar_t* commandLine) {
  std::vector<std::string> arguments;
  int count = 0;
  LPWSTR* const split = CommandLineToArgvW(commandLine, &count);
  if (split == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Utf8FromWide(split[i]));
  LocalFree(split);
  return arguments;
}

std::vector<std::string> Utf8CommandLineArguments() {
  return Utf8Arguments(GetCommandLineW());
}

namespace {

// The console's own code page while a Utf8Console lives, for the control handler: Ctrl+C,
// Ctrl+Break and closing the console end the process without running destructors.
std::atomic<UINT> savedCodePage{0};

BOOL WINAPI RestoreCodePageOnExit(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    if (const UINT codePage = savedCodePage.load(); codePage != 0) SetConsoleOutputCP(codePage);
  }
  return FALSE;  // the default handling goes on: the process ends
}

}  // namespace

// GetConsoleOutputCP() is 0 when the process has no console; then there is nothing to change.
Utf8Console::Utf8Console() : previousCodePage_(GetConsoleOutputCP()) {
  if (previousCodePage_ == 0) return;
  savedCodePage = previousCodePage_;
  SetConsoleCtrlHandler(RestoreCodePageOnExit, TRUE);
  SetConsoleOutputCP(CP_UTF8);
}

Utf8Console::~Utf8Console() {
  std::cout.flush();
  std::cerr.flush();
  if (previousCodePage_ == 0) return;
  SetConsoleOutputCP(previousCodePage_);
  SetConsoleCtrlHandler(RestoreCodePageOnExit, FALSE);
  savedCodePage = 0;
}

}  // namespace vexaro
