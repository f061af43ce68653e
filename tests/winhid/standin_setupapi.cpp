// The stand-in setupapi.dll: the HID interfaces of the catalogue, as device interface sets. Every
// set handed out is counted until it is destroyed.

#include <atomic>
#include <cstddef>
#include <vector>

#include "StandInFiles.h"

// Defined here, not imported.
#define _SETUPAPI_
#include <setupapi.h>

namespace {

std::atomic<long> setsLive{0};

struct InfoSet {
  std::vector<std::string> paths;
};

}  // namespace

extern "C" {

__declspec(dllexport) long StandInInfoSetsLive() {
  return setsLive;
}

__declspec(dllexport) HDEVINFO WINAPI SetupDiGetClassDevsW(const GUID*, PCWSTR, HWND, DWORD) {
  const auto catalogue = vexaro::standin::CurrentCatalogue();
  if (catalogue.setupFails) {
    SetLastError(ERROR_INVALID_DATA);
    return INVALID_HANDLE_VALUE;
  }
  auto* set = new InfoSet;
  for (const auto& entry : catalogue.interfaces) set->paths.push_back(entry.path);
  ++setsLive;
  return set;
}

__declspec(dllexport) BOOL WINAPI
    SetupDiEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID* guid, DWORD index,
                                PSP_DEVICE_INTERFACE_DATA data) {
  const auto& paths = static_cast<InfoSet*>(set)->paths;
  if (index >= paths.size()) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  if (data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  data->InterfaceClassGuid = *guid;
  data->Flags = SPINT_ACTIVE;
  data->Reserved = index;
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI
    SetupDiGetDeviceInterfaceDetailW(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                     PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                                     PDWORD required, PSP_DEVINFO_DATA) {
  const std::string& path = static_cast<InfoSet*>(set)->paths.at(data->Reserved);
  const DWORD needed = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                          (path.size() + 1) * sizeof(WCHAR));
  if (required != nullptr) *required = needed;
  if (detail == nullptr || size < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W)) {
    SetLastError(ERROR_INVALID_USER_BUFFER);
    return FALSE;
  }
  for (std::size_t i = 0; i < path.size(); ++i)
    detail->DevicePath[i] = static_cast<unsigned char>(path[i]);
  detail->DevicePath[path.size()] = 0;
  return TRUE;
}

__declspec(dllexport) BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set) {
  delete static_cast<InfoSet*>(set);
  --setsLive;
  return TRUE;
}

}  // extern "C"
