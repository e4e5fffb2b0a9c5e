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

namespace {

constexpr wchar_t kClassName[] = L"OrdfalkE2ETrayProbe";
constexpr UINT kTrayMessage = WM_APP + 1;
constexpr int kHotKeyId = 0x0B0B;

std::wstring g_report;
std::string g_pasteText;

void Report(const std::string& line) {
  HANDLE file = CreateFileW(g_report.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = line + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

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
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 4) return 2;
  g_report = argv[1];
  const std::wstring tip = argv[2];
  const std::wstring paste = argv[3];
  LocalFree(argv);
  for (size_t i = 0; i + 1 < paste.size(); i += 2)
    g_pasteText.push_back(static_cast<char>(wcstoul(paste.substr(i, 2).c_str(), nullptr, 16)));

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc)) return 3;
  HMENU file = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, 301, L"&Quit\tCtrl+Q");
  HMENU bar = CreateMenu();
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                200, nullptr, bar, instance, nullptr);
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

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  UnregisterHotKey(window, kHotKeyId);
  Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
