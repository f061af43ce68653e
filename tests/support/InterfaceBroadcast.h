#pragma once
// A Vexaro interface's WM_DEVICECHANGE record as Windows sends it: header, path, ending zero.

// clang-format off
#include <windows.h>
#include <dbt.h>
// clang-format on

#include <string_view>
#include <vector>

namespace vexaro {

inline std::vector<char> OurInterfaceBroadcast() {
  const std::wstring_view path =
      LR"(\\?\HID#VID_04D8&PID_47A1#1&2&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030})";
  std::vector<char> record(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + path.size() * sizeof(wchar_t));
  auto* device = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(record.data());
  device->dbcc_size = static_cast<DWORD>(record.size());
  device->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  path.copy(device->dbcc_name, path.size());
  return record;
}

}  // namespace vexaro
