// What menu_dump.dll and dpi_probe.dll share. The tests load such a DLL
// into a running program (a remote thread calling LoadLibraryW); it makes
// its report on a thread of its own, once the loader lock that DllMain runs
// under is free, writes it to %TEMP%\ordfalk-e2e\NAME-PID.txt and unloads
// itself, so the next loading reports afresh. The file is written under
// another name and renamed when complete.
#pragma once

#include <windows.h>

#include <string>

// Defined by each DLL: NAME, and the report's text.
extern const wchar_t kReportName[];
std::string MakeReport();

// %TEMP%\ordfalk-e2e\, where the tests and the DLLs exchange files.
inline std::wstring ExchangeFolder() {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(ARRAYSIZE(temp), temp);
  return std::wstring(temp) + L"ordfalk-e2e\\";
}
