// tray_probe.exe: a stand-in with the same outward habits as the program
// under test, used to check the end-to-end harness itself: a tray icon with
// a tooltip on a hidden window, and one hot key that pastes a fixed text
// into the focused control of the foreground window.
//
//   tray_probe.exe REPORT_FILE TOOLTIP HOTKEY_HEX
//
// Registers Ctrl+Alt+F9, which pastes the bytes HOTKEY_HEX spells (two
// hexadecimal digits a byte). Its hidden window has a menu bar with one
// item, "&File" > "&Quit\tCtrl+Q" (command 301). Appends one line to
// REPORT_FILE per event: "ready LCID" (the thread locale, decimal),
// "hotkey", and "tray XXXX" for each tray callback mouse message
// (hexadecimal). Ends on WM_CLOSE to its window, exit code 0.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "SmallProgram.h"

namespace {

constexpr wchar_t kClassName[] = L"OrdfalkE2ETrayProbe";
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr int kHotKeyId = 0x0B0B;

std::wstring g_report;
std::string g_pasteText;

void Report(const std::string& line) { small_program::AppendLine(g_report, line); }

void PasteToFocus(HWND owner, const std::string& bytes) {
  if (OpenClipboard(owner)) {
    EmptyClipboard();
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1)) {
      char* p = static_cast<char*>(GlobalLock(block));
      memcpy(p, bytes.c_str(), bytes.size() + 1);
      GlobalUnlock(block);
      if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
  }
  const DWORD target = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  if (AttachThreadInput(GetCurrentThreadId(), target, TRUE)) {
    SendMessageW(GetFocus(), WM_PASTE, 0, 0);
    AttachThreadInput(GetCurrentThreadId(), target, FALSE);
  }
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_HOTKEY:
      if (wParam == kHotKeyId) {
        Report("hotkey");
        PasteToFocus(hwnd, g_pasteText);
      }
      return 0;
    case kTrayMessage: {
      char line[32];
      snprintf(line, sizeof line, "tray %04X", static_cast<unsigned>(lParam & 0xFFFF));
      Report(line);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::vector<std::wstring> arguments = small_program::Arguments();
  if (arguments.size() < 4) return 2;
  g_report = arguments[1];
  const std::wstring& tip = arguments[2];
  const std::wstring& paste = arguments[3];
  for (size_t i = 0; i + 1 < paste.size(); i += 2)
    g_pasteText.push_back(static_cast<char>(wcstoul(paste.substr(i, 2).c_str(), nullptr, 16)));

  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, 301, L"&Quit\tCtrl+Q");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  HWND window = small_program::CreateMainWindow(instance, WindowProc, kClassName, L"",
                                                WS_EX_TOOLWINDOW, {0, 0, 200, 200}, bar);
  if (!window) return 4;

  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon.uCallbackMessage = kTrayMessage;
  icon.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  lstrcpynW(icon.szTip, tip.c_str(), ARRAYSIZE(icon.szTip));
  if (!Shell_NotifyIconW(NIM_ADD, &icon)) return 5;
  RegisterHotKey(window, kHotKeyId, MOD_CONTROL | MOD_ALT, VK_F9);
  Report("ready " + std::to_string(GetThreadLocale()));

  small_program::RunMessageLoop();
  UnregisterHotKey(window, kHotKeyId);
  Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
