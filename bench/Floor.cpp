// The least a hot-key paster can do, as the yardstick for the benchmark.
//
//   Floor.exe TEXT1 [.. TEXT4]
//     One hidden window, one tray icon, and per hot key the clipboard, the
//     attach, WM_PASTE to the focused control and the detach. Nothing else.
//     Ctrl+Alt+F5..F8 paste TEXT1..TEXT4.
//
//   WindowFloor.exe --window TEXT1 [.. TEXT8]
//     The same, after the start-up work Ordfalk has to do before its hot
//     keys are live, done with plain calls in Ordfalk's order: the common
//     controls, the hidden main window with its menu, accelerators, fonts,
//     eight labels, eight memos holding the texts, the owner-drawn OK button
//     with its image and the window icons; then the tray icon with its
//     tooltip; then a global atom and a hot key per text. Built with
//     Ordfalk's resources (manifest, icons, OK image). Ctrl+Alt+F5..F8 paste
//     TEXT1..TEXT4, Ctrl+Shift+F5..F8 TEXT5..TEXT8.
//
// Texts are pasted as the low byte of each character. The keys are apart
// from Ordfalk's, so that a floor and Ordfalk can run at once.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "resource.h"

namespace {

std::vector<std::string> texts;
// Per text its hot key's identifier: 1.. in the bare floor, a global atom
// in the window floor.
int hotKeyIds[8] = {};

void Paste(const std::string& bytes) {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1)) {
      std::memcpy(GlobalLock(block), bytes.c_str(), bytes.size() + 1);
      GlobalUnlock(block);
      if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
  }
  const DWORD target = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  if (!AttachThreadInput(GetCurrentThreadId(), target, TRUE)) return;
  SendMessageW(GetFocus(), WM_PASTE, 0, 0);
  AttachThreadInput(GetCurrentThreadId(), target, FALSE);
}

const std::string* TextOfHotKey(WPARAM id) {
  for (size_t i = 0; i < texts.size(); ++i) {
    if (hotKeyIds[i] != 0 && id == static_cast<WPARAM>(hotKeyIds[i])) return &texts[i];
  }
  return nullptr;
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY) {
    if (const std::string* text = TextOfHotKey(wParam)) Paste(*text);
  }
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- The window floor ---------------------------------------------------------

constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;

// What the window owns apart from its child windows and menu.
struct WindowParts {
  HACCEL accelerators = nullptr;
  HFONT windowFont = nullptr;
  HFONT memoFont = nullptr;
  HBITMAP okImage = nullptr;
  HICON iconLarge = nullptr;
  HICON iconSmall = nullptr;
  HICON trayIcon = nullptr;
};

// Through LoadLibrary, so that the bare floor, built from this file too,
// does not load the library at its start.
void InitCommonControls6() {
  const HMODULE library = LoadLibraryW(L"comctl32.dll");
  if (library == nullptr) return;
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const auto init = reinterpret_cast<InitFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "InitCommonControlsEx")));
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  if (init) init(&controls);
}

HFONT Font(int height, const wchar_t* face, BYTE pitchAndFamily = DEFAULT_PITCH | FF_DONTCARE) {
  return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitchAndFamily, face);
}

HWND Child(HWND parent, DWORD exStyle, const wchar_t* windowClass, const wchar_t* caption,
           DWORD style, int id, int left, int top, int width, int height, HFONT font) {
  HWND child = CreateWindowExW(exStyle, windowClass, caption, WS_CHILD | WS_VISIBLE | style, left,
                               top, width, height, parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

HICON Icon(HINSTANCE instance, int id, int width, int height) {
  return static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, 0));
}

// The hidden main window with everything in it, as Ordfalk's is at the end
// of its start: two columns of four label-and-memo pairs, the OK button, a
// client area of 465 x 465 under the menu bar.
HWND CreateMainWindow(HINSTANCE instance, WindowParts& parts) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WndProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"FloorMain";
  RegisterClassExW(&windowClass);
  HWND window = CreateWindowExW(kWindowExStyle, L"FloorMain", L"Floor", kWindowStyle,
                                CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance,
                                nullptr);
  if (window == nullptr) return nullptr;

  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  HMENU help = CreatePopupMenu();
  AppendMenuW(file, MF_STRING, 301, L"&Quit!\tCtrl+Q");
  AppendMenuW(help, MF_STRING, 302, L"&About...\tF1");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"&Help");
  SetMenu(window, bar);
  ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'Q', 301}, {FVIRTKEY, VK_F1, 302}};
  parts.accelerators = CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));

  parts.windowFont = Font(-11, L"Verdana");
  // Where Fixedsys is missing, the memos need a fixed-pitch stand-in, as
  // Ordfalk's get: laying out a long text costs more in a proportional one.
  parts.memoFont = Font(-12, L"Fixedsys", FIXED_PITCH | FF_MODERN);
  for (int slot = 0; slot < 8; ++slot) {
    const int left = slot < 4 ? 24 : 240;
    const int top = 24 + 96 * (slot % 4);
    const std::wstring caption = L"Text " + std::to_wstring(slot + 1) + L": [CTRL+" +
                                 (slot < 4 ? L"ALT" : L"SHIFT") + L"+F" +
                                 std::to_wstring(5 + slot % 4) + L"]";
    Child(window, 0, L"STATIC", caption.c_str(), SS_LEFT | SS_NOPREFIX, 201 + slot, left, top, 201,
          13, parts.windowFont);
    const std::wstring text =
        static_cast<size_t>(slot) < texts.size()
            ? std::wstring(texts[slot].begin(), texts[slot].end())
            : std::wstring();
    HWND memo = Child(window, WS_EX_CLIENTEDGE, L"EDIT", L"",
                      WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                      101 + slot, left, top + 16, 201, 65, parts.memoFont);
    SendMessageW(memo, EM_SETLIMITTEXT, 0, 0);
    SetWindowTextW(memo, text.c_str());
  }
  Child(window, 0, L"BUTTON", L"OK", WS_TABSTOP | BS_OWNERDRAW, IDOK, 344, 408, 97, 33,
        parts.windowFont);
  parts.okImage = static_cast<HBITMAP>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDB_OK), IMAGE_BITMAP, 0, 0, 0));

  parts.iconLarge = Icon(instance, IDI_ORDFALK, GetSystemMetrics(SM_CXICON),
                         GetSystemMetrics(SM_CYICON));
  parts.iconSmall = Icon(instance, IDI_ORDFALK, GetSystemMetrics(SM_CXSMICON),
                         GetSystemMetrics(SM_CYSMICON));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(parts.iconLarge));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(parts.iconSmall));

  RECT frame = {0, 0, 465, 465};
  AdjustWindowRectEx(&frame, kWindowStyle, TRUE, kWindowExStyle);
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return window;
}

void ReleaseWindowParts(WindowParts& parts) {
  if (parts.accelerators) DestroyAcceleratorTable(parts.accelerators);
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(parts.windowFont),
                         static_cast<HGDIOBJ>(parts.memoFont), static_cast<HGDIOBJ>(parts.okImage)}) {
    if (object) DeleteObject(object);
  }
  for (HICON icon : {parts.iconLarge, parts.iconSmall, parts.trayIcon}) {
    if (icon) DestroyIcon(icon);
  }
}

// --- The bare floor -----------------------------------------------------------

HWND CreateBareWindow(HINSTANCE instance) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WndProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"FloorMain";
  RegisterClassW(&windowClass);
  return CreateWindowExW(WS_EX_TOOLWINDOW, L"FloorMain", L"Floor", WS_POPUP, 0, 0, 0, 0, nullptr,
                         nullptr, instance, nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  const bool withWindow = count > 1 && lstrcmpW(args[1], L"--window") == 0;
  const int first = withWindow ? 2 : 1;
  const size_t most = withWindow ? 8 : 4;
  for (int i = first; i < count && texts.size() < most; ++i) {
    std::string bytes;
    for (const wchar_t* c = args[i]; *c; ++c) bytes += static_cast<char>(*c & 0xFF);
    texts.push_back(bytes);
  }
  LocalFree(args);

  WindowParts parts;
  HWND window = nullptr;
  if (withWindow) {
    InitCommonControls6();
    window = CreateMainWindow(instance, parts);
  } else {
    window = CreateBareWindow(instance);
  }

  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON;
  if (withWindow) {
    parts.trayIcon = Icon(instance, IDI_TRAY, 16, 16);
    icon.hIcon = parts.trayIcon;
    icon.uFlags |= NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = WM_APP + 1;
    lstrcpynW(icon.szTip, L"Floor 1.0", static_cast<int>(std::size(icon.szTip)));
  } else {
    icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  }
  Shell_NotifyIconW(NIM_ADD, &icon);

  for (UINT i = 0; i < texts.size(); ++i) {
    const UINT modifiers = MOD_CONTROL | (i < 4 ? MOD_ALT : MOD_SHIFT);
    hotKeyIds[i] = static_cast<int>(i + 1);
    if (withWindow) {
      const std::wstring name = L"Floor.HotKey" + std::to_wstring(i + 1);
      hotKeyIds[i] = GlobalAddAtomW(name.c_str());
    }
    RegisterHotKey(window, hotKeyIds[i], modifiers, VK_F5 + i % 4);
  }

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  Shell_NotifyIconW(NIM_DELETE, &icon);
  if (withWindow) {
    for (size_t i = 0; i < texts.size(); ++i) GlobalDeleteAtom(static_cast<ATOM>(hotKeyIds[i]));
  }
  ReleaseWindowParts(parts);
  return 0;
}
