// dpi_probe.dll: loaded into a running Ordfalk.exe by the tests
// (InsideDll.h), it plays a move of the main window to a monitor of
// another scale, which Wine cannot make, and reports the window's layout.
//
// It reads "DPI WIDTH HEIGHT" from %TEMP%\ordfalk-e2e\dpi-PID.txt: with a
// DPI other than 0 it sends the main window WM_GETDPISCALEDSIZE and then
// WM_DPICHANGED with that DPI and the answered size at the window's place,
// as Windows does; these are handled on the program's GUI thread. WIDTH and
// HEIGHT are the client size a fresh start at that DPI had. It writes to
// %TEMP%\ordfalk-e2e\layout-PID.txt, one item a line:
//   answered FLAG CX CY       what WM_GETDPISCALEDSIZE gave (DPI not 0)
//   expected CX CY            WIDTH x HEIGHT framed for DPI by the system
//   client CX CY              the main window's client size
//   child ID LEFT TOP RIGHT BOTTOM FONTHEIGHT   each control, client-relative
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "InsideDll.h"

namespace {

constexpr UINT kWmGetDpiScaledSize = 0x02E4;
using AdjustWindowRectExForDpiFunction = BOOL WINAPI(RECT*, DWORD, BOOL, DWORD, UINT);

BOOL CALLBACK FindMain(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[64] = {};
  GetClassNameW(window, name, ARRAYSIZE(name));
  if (process != GetCurrentProcessId() || std::wstring(name) != L"TfrmMain") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

BOOL CALLBACK ListChild(HWND child, LPARAM lines) {
  HWND parent = GetParent(child);
  RECT place{};
  GetWindowRect(child, &place);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
  LOGFONTW font{};
  const auto handle = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
  if (!handle || !GetObjectW(handle, sizeof font, &font)) font.lfHeight = 0;
  char line[128];
  std::snprintf(line, sizeof line, "child %d %ld %ld %ld %ld %ld", GetDlgCtrlID(child), place.left,
                place.top, place.right, place.bottom, font.lfHeight);
  reinterpret_cast<std::vector<std::string>*>(lines)->push_back(line);
  return TRUE;
}

}  // namespace

const wchar_t kReportName[] = L"layout";

std::string MakeReport() {
  int dpi = 0, width = 0, height = 0;
  const std::wstring input =
      ExchangeFolder() + L"dpi-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  if (FILE* file = _wfopen(input.c_str(), L"r")) {
    if (std::fscanf(file, "%d %d %d", &dpi, &width, &height) != 3) dpi = 0;
    std::fclose(file);
  }
  HWND main = nullptr;
  EnumWindows(FindMain, reinterpret_cast<LPARAM>(&main));
  if (!main) return {};

  std::vector<std::string> lines;
  char line[128];
  if (dpi > 0) {
    SIZE size{};
    const LRESULT answered = SendMessageW(main, kWmGetDpiScaledSize, static_cast<WPARAM>(dpi),
                                          reinterpret_cast<LPARAM>(&size));
    std::snprintf(line, sizeof line, "answered %d %ld %ld", answered ? 1 : 0, size.cx, size.cy);
    lines.push_back(line);
    RECT suggested{};
    GetWindowRect(main, &suggested);
    suggested.right = suggested.left + size.cx;
    suggested.bottom = suggested.top + size.cy;
    SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));

    auto* adjust = reinterpret_cast<AdjustWindowRectExForDpiFunction*>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    RECT frame = {0, 0, width, height};
    if (adjust) {
      adjust(&frame, static_cast<DWORD>(GetWindowLongW(main, GWL_STYLE)), TRUE,
             static_cast<DWORD>(GetWindowLongW(main, GWL_EXSTYLE)), static_cast<UINT>(dpi));
    }
    std::snprintf(line, sizeof line, "expected %ld %ld", frame.right - frame.left,
                  frame.bottom - frame.top);
    lines.push_back(line);
  }
  RECT client{};
  GetClientRect(main, &client);
  std::snprintf(line, sizeof line, "client %ld %ld", client.right, client.bottom);
  lines.push_back(line);
  std::vector<std::string> children;
  EnumChildWindows(main, ListChild, reinterpret_cast<LPARAM>(&children));
  std::sort(children.begin(), children.end());
  lines.insert(lines.end(), children.begin(), children.end());

  std::string out;
  for (const std::string& each : lines) out += each + "\n";
  return out;
}
