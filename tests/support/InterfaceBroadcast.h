#pragma once
// A WM_DEVICECHANGE record of a HID interface, as Windows sends it with DBT_DEVICEARRIVAL.

// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <string_view>
#include <vector>

namespace vexaro {

// The record's bytes: the header, then the path and its ending zero.
inline std::vector<char> InterfaceBroadcast(std::wstring_view path) {
  std::vector<char> record(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + path.size() * sizeof(wchar_t));
  auto* device = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(record.data());
  device->dbcc_size = static_cast<DWORD>(record.size());
  device->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  path.copy(device->dbcc_name, path.size());
  return record;
}

inline constexpr std::wstring_view kOurInterface =
    LR"(\\?\HID#VID_04D8&PID_47A1#1&2&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";

}  // namespace vexaro
