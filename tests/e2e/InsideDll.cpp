#include "InsideDll.h"

#include <windows.h>

namespace {

HMODULE g_self = nullptr;

DWORD WINAPI Report(void*) {
  const std::string out = MakeReport();
  const std::wstring base = ExchangeFolder() + kReportName + L"-" +
                            std::to_wstring(GetCurrentProcessId());
  const std::wstring side = base + L".new";
  HANDLE file = CreateFileW(side.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    if (!out.empty()) WriteFile(file, out.data(), static_cast<DWORD>(out.size()), &written, nullptr);
    CloseHandle(file);
    MoveFileExW(side.c_str(), (base + L".txt").c_str(), MOVEFILE_REPLACE_EXISTING);
  }
  FreeLibraryAndExitThread(g_self, 0);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = instance;
    DisableThreadLibraryCalls(instance);
    if (HANDLE thread = CreateThread(nullptr, 0, Report, nullptr, 0, nullptr)) CloseHandle(thread);
  }
  return TRUE;
}
