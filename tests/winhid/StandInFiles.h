#pragma once
// What both stand-in DLLs need: the catalogue as it is now, and the name of an open handle.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "StandInCatalogue.h"

namespace vexaro::standin {

inline Catalogue CurrentCatalogue() {
  char file[MAX_PATH] = {};
  if (GetEnvironmentVariableA(kCatalogueVariable, file, MAX_PATH) == 0) return {};
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return ParseCatalogue(text.str());
}

inline std::string Narrow(const wchar_t* wide, int length) {
  std::string text;
  for (int i = 0; i < length; ++i) text += static_cast<char>(wide[i] < 128 ? wide[i] : '?');
  return text;
}

// The catalogue entry of an open handle; nullptr when it is none of them.
inline const CatalogueEntry* EntryOf(HANDLE handle, const Catalogue& catalogue) {
  alignas(8) unsigned char buffer[2048];
  if (!GetFileInformationByHandleEx(handle, FileNameInfo, buffer, sizeof buffer)) return nullptr;
  const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer);
  const std::string name = Narrow(info->FileName, static_cast<int>(info->FileNameLength / 2));
  for (const CatalogueEntry& entry : catalogue.interfaces) {
    if (NamesEntry(name, entry.path)) return &entry;
  }
  return nullptr;
}

}  // namespace vexaro::standin
