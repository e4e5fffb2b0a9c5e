// capability_probe.exe [REPORT]
// capability_probe.exe --icon
//
// Finds out what the desktop it runs on lets the test suites do, and says
// it, one line an item, `NAME: VALUE`. A capability's value starts with
// `yes` or `no`, with what was seen in parentheses. The lines are appended
// to REPORT (capabilities.txt beside this program unless named), so that
// what a runner's preparation wrote there earlier stays, and printed too.
// The suites read the same file and skip a test whose capability is `no`.
//
// Exit code 0 whenever the report was written: a missing capability is a
// finding, not a failure of the probe.
//
// With --icon it only shows its tray icon, until its window is closed
// (taskkill) or a minute has passed: a shell that shows icons one program
// path at a time learns this path's icon from it, and can be told to show it.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "MouseInput.h"

namespace {

constexpr wchar_t kWindowClass[] = L"OrdfalkCapabilityProbe";
constexpr UINT kTrayMessage = WM_APP + 7;
constexpr UINT kTrayId = 1;
constexpr int kHotKeyId = 1;
// The second process: reads the clipboard, compares and exits with a code.
constexpr wchar_t kReadClipboardFlag[] = L"--read-clipboard";
constexpr const char* kClipboardText = "capability probe ";

// What the probe's window was told.
bool g_hotKeySeen = false;
bool g_doubleClickSeen = false;

LRESULT CALLBACK ProbeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY && wParam == kHotKeyId) g_hotKeySeen = true;
  if (message == kTrayMessage && LOWORD(lParam) == WM_LBUTTONDBLCLK) g_doubleClickSeen = true;
  return DefWindowProcW(window, message, wParam, lParam);
}

// Handles this thread's messages until Done holds or TimeoutMs have passed.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 20)),
                              QS_ALLINPUT);
  }
}

std::string Hex(unsigned long value) {
  char text[16];
  snprintf(text, sizeof text, "0x%08lX", value);
  return text;
}

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

std::string Session() {
  DWORD session = 0;
  if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) return "unknown (ProcessIdToSessionId failed)";
  return std::to_string(session);
}

std::string Taskbar() {
  return FindWindowW(L"Shell_TrayWnd", nullptr) ? "yes (Shell_TrayWnd)" : "no (no Shell_TrayWnd window)";
}

// Wine's standalone notification area gives each icon a child window, the
// newest last; the probe's icon is taken to be that one.
bool WineTrayIconPlace(RECT* place) {
  const HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  if (!tray) return false;
  std::vector<RECT> icons;
  EnumChildWindows(
      tray,
      [](HWND child, LPARAM list) {
        RECT rect{};
        if (IsWindowVisible(child) && GetWindowRect(child, &rect) && rect.right > rect.left)
          reinterpret_cast<std::vector<RECT>*>(list)->push_back(rect);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&icons));
  if (icons.empty()) return false;
  *place = icons.front();
  for (const RECT& r : icons) {
    if (r.top > place->top || (r.top == place->top && r.left > place->left)) *place = r;
  }
  return true;
}

// The probe's one tray icon, on Window.
NOTIFYICONDATAW ProbeIcon(HWND window) {
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = kTrayId;
  icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  icon.uCallbackMessage = kTrayMessage;
  icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpynW(icon.szTip, L"Capability probe", ARRAYSIZE(icon.szTip));
  return icon;
}

// An icon added, its place as the shell reports it, a double-click there,
// and the icon deleted.
std::string TrayIcon(HWND window) {
  NOTIFYICONDATAW icon = ProbeIcon(window);
  if (!Shell_NotifyIconW(NIM_ADD, &icon)) return "no (Shell_NotifyIconW NIM_ADD refused)";
  PumpUntil([] { return false; }, 500);  // the shell lays the icon out

  NOTIFYICONIDENTIFIER id{};
  id.cbSize = sizeof id;
  id.hWnd = window;
  id.uID = kTrayId;
  RECT place{};
  const HRESULT result = Shell_NotifyIconGetRect(&id, &place);
  std::string where;
  if (SUCCEEDED(result)) {
    where = "Shell_NotifyIconGetRect " + Describe(place);
  } else if (result == E_NOTIMPL && WineTrayIconPlace(&place)) {
    where = "Shell_NotifyIconGetRect E_NOTIMPL; Wine's tray " + Describe(place);
  } else {
    Shell_NotifyIconW(NIM_DELETE, &icon);
    return "no (added; Shell_NotifyIconGetRect " + Hex(static_cast<unsigned long>(result)) + ")";
  }
  g_doubleClickSeen = false;
  mouse_input::ClickAt({(place.left + place.right) / 2, (place.top + place.bottom) / 2});
  const bool clicked = PumpUntil([] { return g_doubleClickSeen; }, 3000);
  const bool deleted = Shell_NotifyIconW(NIM_DELETE, &icon) != FALSE;
  return std::string(clicked ? "yes (" : "no (") + where +
         (clicked ? ", double-click by SendInput seen" : ", no double-click arrived") +
         (deleted ? ", deleted)" : ", NIM_DELETE refused)");
}

// Ctrl+Alt+F11 registered and pressed by SendInput; its WM_HOTKEY awaited.
std::string HotKey(HWND window) {
  if (!RegisterHotKey(window, kHotKeyId, MOD_CONTROL | MOD_ALT, VK_F11))
    return "no (RegisterHotKey Ctrl+Alt+F11 refused, error " + std::to_string(GetLastError()) + ")";
  g_hotKeySeen = false;
  const WORD keys[] = {VK_CONTROL, VK_MENU, VK_F11};
  std::vector<INPUT> inputs;
  for (int up = 0; up < 2; ++up) {
    for (int i = 0; i < 3; ++i) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = keys[up ? 2 - i : i];
      input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(input.ki.wVk, MAPVK_VK_TO_VSC));
      input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
      inputs.push_back(input);
    }
  }
  const UINT taken = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  const bool seen = PumpUntil([] { return g_hotKeySeen; }, 3000);
  UnregisterHotKey(window, kHotKeyId);
  if (seen) return "yes (Ctrl+Alt+F11)";
  return "no (Ctrl+Alt+F11: SendInput took " + std::to_string(taken) +
         " of 6 events, no WM_HOTKEY within 3 s)";
}

bool OpenClipboardSoon(HWND owner) {
  return PumpUntil([&] { return OpenClipboard(owner) != FALSE; }, 2000);
}

bool SetClipboardText(HWND owner, const std::string& text) {
  if (!OpenClipboardSoon(owner)) return false;
  bool set = false;
  if (EmptyClipboard()) {
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
      if (void* bytes = GlobalLock(memory)) {
        memcpy(bytes, text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        set = SetClipboardData(CF_TEXT, memory) != nullptr;
      }
      if (!set) GlobalFree(memory);
    }
  }
  CloseClipboard();
  return set;
}

// The second process's side: 0 when the clipboard holds the first's text,
// 1 when it holds another, 2 when it cannot be opened, 3 without CF_TEXT.
int ReadClipboard(const wchar_t* firstProcess) {
  char expected[64];
  snprintf(expected, sizeof expected, "%s%ls", kClipboardText, firstProcess);
  if (!OpenClipboardSoon(nullptr)) return 2;
  int code = 3;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const auto* text = static_cast<const char*>(GlobalLock(data))) {
      code = strcmp(text, expected) == 0 ? 0 : 1;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return code;
}

std::wstring ExePath() {
  wchar_t path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(nullptr, path, ARRAYSIZE(path));
  return std::wstring(path, n);
}

// CF_TEXT set here, read by a copy of this program started for it.
std::string ClipboardSecondProcess(HWND window) {
  const std::wstring pid = std::to_wstring(GetCurrentProcessId());
  if (!SetClipboardText(window, kClipboardText + std::to_string(GetCurrentProcessId())))
    return "no (this process could not set CF_TEXT)";
  const std::wstring exe = ExePath();
  std::wstring command = L"\"" + exe + L"\" " + kReadClipboardFlag + L" " + pid;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info))
    return "no (the second process did not start, error " + std::to_string(GetLastError()) + ")";
  CloseHandle(info.hThread);
  DWORD code = STILL_ACTIVE;
  const bool ended = WaitForSingleObject(info.hProcess, 15000) == WAIT_OBJECT_0;
  GetExitCodeProcess(info.hProcess, &code);
  if (!ended) TerminateProcess(info.hProcess, 255);
  CloseHandle(info.hProcess);
  if (!ended) return "no (the second process did not end within 15 s)";
  static const char* const kWhy[] = {"", "it read another text", "it could not open the clipboard",
                                     "it found no CF_TEXT"};
  if (code == 0) return "yes (CF_TEXT read by process " + std::to_string(info.dwProcessId) + ")";
  return std::string("no (") + (code < 4 ? kWhy[code] : "exit code " + std::to_string(code)) + ")";
}

// Ten new windows, each shown without activation and then asked to the
// front with SetForegroundWindow alone. Measured before anything else: a
// key or click sent by SendInput (an Alt press above all) lifts the
// foreground lock for a while, and the figure would then say more than a
// fresh process may do. Eight of ten or better counts; the suites start
// programs and bring them to the front dozens of times.
std::string SetForeground(HINSTANCE instance) {
  int successes = 0;
  for (int i = 0; i < 10; ++i) {
    const HWND window = CreateWindowExW(0, kWindowClass, L"Capability probe", WS_OVERLAPPEDWINDOW,
                                        100 + 20 * i, 100 + 20 * i, 320, 200, nullptr, nullptr,
                                        instance, nullptr);
    if (!window) continue;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    UpdateWindow(window);
    SetForegroundWindow(window);
    if (PumpUntil([&] { return GetForegroundWindow() == window; }, 500)) ++successes;
    DestroyWindow(window);
    PumpUntil([] { return false; }, 50);
  }
  DWORD lockMs = 0;
  SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &lockMs, 0);
  return std::string(successes >= 8 ? "yes (" : "no (") + std::to_string(successes) +
         "/10, lock time-out " + std::to_string(lockMs) + " ms)";
}

std::string Screen() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" +
         std::to_string(GetSystemMetrics(SM_CYSCREEN)) + " at " + std::to_string(dpi) + " dpi";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && wcscmp(argv[1], kReadClipboardFlag) == 0) return ReadClipboard(argv[2]);
  // The screen's real size and scale, not those of a program that Windows
  // scales.
  SetProcessDPIAware();

  const bool iconOnly = argc == 2 && wcscmp(argv[1], L"--icon") == 0;
  std::wstring report;
  if (argc >= 2) {
    report = argv[1];
  } else {
    report = ExePath();
    report = report.substr(0, report.find_last_of(L"\\/") + 1) + L"capabilities.txt";
  }

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = ProbeWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowExW(0, kWindowClass, L"Capability probe", WS_OVERLAPPEDWINDOW, 0, 0,
                                      0, 0, nullptr, nullptr, instance, nullptr);

  if (iconOnly) {
    NOTIFYICONDATAW icon = ProbeIcon(window);
    if (!window || !Shell_NotifyIconW(NIM_ADD, &icon)) return 3;
    PumpUntil([&] { return !IsWindow(window); }, 60000);
    Shell_NotifyIconW(NIM_DELETE, &icon);
    return 0;
  }

  // In this order: nothing synthesised may come before set-foreground.
  const std::pair<const char*, std::string> lines[] = {
      {"session", Session()},
      {"taskbar", Taskbar()},
      {"set-foreground", SetForeground(instance)},
      {"tray-icon", window ? TrayIcon(window) : "no (no window)"},
      {"hotkey-sendinput", window ? HotKey(window) : "no (no window)"},
      {"clipboard-second-process", window ? ClipboardSecondProcess(window) : "no (no window)"},
      {"screen", Screen()},
  };
  if (window) DestroyWindow(window);

  std::string text;
  for (const auto& [name, value] : lines) text += std::string(name) + ": " + value + "\n";
  fputs(text.c_str(), stdout);
  fflush(stdout);
  FILE* file = _wfopen(report.c_str(), L"ab");
  const bool written = file && fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file && fclose(file) != 0) return 2;
  if (!written) {
    fprintf(stderr, "capability_probe: cannot append to the report\n");
    return 2;
  }
  return 0;
}
