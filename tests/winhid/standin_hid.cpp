// The stand-in hid.dll: HidD_ and HidP_ calls answered from the catalogue. The preparsed data is
// the catalogue entry itself; every piece handed out is counted until it is freed.

#include <winternl.h>

#include <atomic>

#include "StandInFiles.h"

// hidsdi.h before hidpi.h, which needs its types.
// clang-format off
extern "C" {
#include <hidsdi.h>
#include <hidpi.h>
}
// clang-format on

using vexaro::standin::CatalogueEntry;

namespace {

std::atomic<long> preparsedLive{0};
std::atomic<long> overlappedQueries{0};

// HidD_ requests are meant for handles opened without FILE_FLAG_OVERLAPPED: on an overlapped one
// a driver may leave the request pending. This stand-in refuses them, and counts the attempt.
bool Synchronous(HANDLE handle) {
  IO_STATUS_BLOCK status{};
  ULONG mode = 0;
  using Query = NTSTATUS(NTAPI*)(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS);
  static const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationFile")));
  constexpr auto kFileModeInformation = static_cast<FILE_INFORMATION_CLASS>(16);
  constexpr ULONG kSynchronousIo = 0x20 | 0x10;  // FILE_SYNCHRONOUS_IO_(NON)ALERT
  if (query(handle, &status, &mode, sizeof mode, kFileModeInformation) != 0) return false;
  return (mode & kSynchronousIo) != 0;
}

}  // namespace

extern "C" {

__declspec(dllexport) long StandInPreparsedLive() {
  return preparsedLive;
}
__declspec(dllexport) long StandInOverlappedQueries() {
  return overlappedQueries;
}

__declspec(dllexport) void __stdcall HidD_GetHidGuid(LPGUID guid) {
  *guid = {0x4d1e55b2, 0xf16f, 0x11cf, {0x88, 0xcb, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
}

__declspec(dllexport) BOOLEAN
    __stdcall HidD_GetAttributes(HANDLE handle, PHIDD_ATTRIBUTES attributes) {
  const auto catalogue = vexaro::standin::CurrentCatalogue();
  const CatalogueEntry* entry = vexaro::standin::EntryOf(handle, catalogue);
  if (entry == nullptr || attributes->Size != sizeof(HIDD_ATTRIBUTES)) {
    return FALSE;
  }
  attributes->VendorID = entry->vendorId;
  attributes->ProductID = entry->productId;
  attributes->VersionNumber = 0x0100;
  return TRUE;
}

__declspec(dllexport) BOOLEAN
    __stdcall HidD_GetPreparsedData(HANDLE handle, PHIDP_PREPARSED_DATA* preparsed) {
  if (!Synchronous(handle)) {
    ++overlappedQueries;
    SetLastError(ERROR_IO_PENDING);
    return FALSE;
  }
  const auto catalogue = vexaro::standin::CurrentCatalogue();
  const CatalogueEntry* entry = vexaro::standin::EntryOf(handle, catalogue);
  if (entry == nullptr) return FALSE;
  *preparsed = reinterpret_cast<PHIDP_PREPARSED_DATA>(new CatalogueEntry(*entry));
  ++preparsedLive;
  return TRUE;
}

__declspec(dllexport) BOOLEAN __stdcall HidD_FreePreparsedData(PHIDP_PREPARSED_DATA preparsed) {
  delete reinterpret_cast<CatalogueEntry*>(preparsed);
  --preparsedLive;
  return TRUE;
}

__declspec(dllexport) NTSTATUS
    __stdcall HidP_GetCaps(PHIDP_PREPARSED_DATA preparsed, PHIDP_CAPS caps) {
  const auto& entry = *reinterpret_cast<const CatalogueEntry*>(preparsed);
  if (entry.noCaps) return HIDP_STATUS_INVALID_PREPARSED_DATA;
  *caps = {};
  caps->InputReportByteLength = entry.input;
  caps->OutputReportByteLength = entry.output;
  caps->NumberInputValueCaps = static_cast<USHORT>(entry.inputIds.size());
  caps->NumberOutputValueCaps = static_cast<USHORT>(entry.outputIds.size());
  return HIDP_STATUS_SUCCESS;
}

__declspec(dllexport) NTSTATUS
    __stdcall HidP_GetValueCaps(HIDP_REPORT_TYPE kind, PHIDP_VALUE_CAPS caps, PUSHORT count,
                                PHIDP_PREPARSED_DATA preparsed) {
  const auto& entry = *reinterpret_cast<const CatalogueEntry*>(preparsed);
  const auto& ids = kind == HidP_Input ? entry.inputIds : entry.outputIds;
  if (*count < ids.size()) return HIDP_STATUS_BUFFER_TOO_SMALL;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    caps[i] = {};
    caps[i].ReportID = ids[i];
  }
  *count = static_cast<USHORT>(ids.size());
  return HIDP_STATUS_SUCCESS;
}

__declspec(dllexport) NTSTATUS __stdcall HidP_GetButtonCaps(HIDP_REPORT_TYPE, PHIDP_BUTTON_CAPS,
                                                            PUSHORT count, PHIDP_PREPARSED_DATA) {
  *count = 0;
  return HIDP_STATUS_SUCCESS;
}

}  // extern "C"
