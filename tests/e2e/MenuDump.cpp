// menu_dump.dll: loaded into a running program by the tests (InsideDll.h),
// it writes the menu bars of that process's top-level windows to
// %TEMP%\ordfalk-e2e\menus-PID.txt.
// Wine keeps a menu in the process that made it, so another process cannot
// read its items; this is how the tests see the texts the user sees.
//
// One line per item, UTF-8: WINDOW|PATH|ID|TEXT, where WINDOW is the window
// handle in hexadecimal, PATH the item's positions joined by dots ("0.1" is
// the second item of the first menu), ID the command id (-1 for a popup).
#include <windows.h>

#include <cstdio>
#include <string>

#include "InsideDll.h"

namespace {

std::string Utf8(const wchar_t* text, int length) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), n, nullptr, nullptr);
  return result;
}

void DumpMenu(HWND window, HMENU menu, const std::string& path, std::string& out) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[512];
    const int n = GetMenuStringW(menu, static_cast<UINT>(i), text, ARRAYSIZE(text), MF_BYPOSITION);
    const std::string itemPath = path.empty() ? std::to_string(i) : path + "." + std::to_string(i);
    char head[64];
    snprintf(head, sizeof head, "%llX|", static_cast<unsigned long long>(
                                             reinterpret_cast<UINT_PTR>(window)));
    out += head + itemPath + "|" + std::to_string(static_cast<int>(GetMenuItemID(menu, i))) + "|" +
           Utf8(text, n > 0 ? n : 0) + "\n";
    if (HMENU sub = GetSubMenu(menu, i)) DumpMenu(window, sub, itemPath, out);
  }
}

BOOL CALLBACK DumpWindow(HWND window, LPARAM param) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId()) return TRUE;
  if (HMENU menu = GetMenu(window)) DumpMenu(window, menu, {}, *reinterpret_cast<std::string*>(param));
  return TRUE;
}

}  // namespace

const wchar_t kReportName[] = L"menus";

std::string MakeReport() {
  std::string out;
  EnumWindows(DumpWindow, reinterpret_cast<LPARAM>(&out));
  return out;
}
