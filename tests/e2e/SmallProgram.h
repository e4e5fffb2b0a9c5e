// What the small programs the end-to-end tests start (target.exe,
// hung_target.exe, tray_probe.exe) have in common: their command line, the
// report file they write for the tests, their one window, and the message
// loop.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "FileBytes.h"

namespace small_program {

// The command-line arguments, the program's own path first.
inline std::vector<std::wstring> Arguments() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> arguments;
  for (int i = 0; argv && i < argc; ++i) arguments.emplace_back(argv[i]);
  LocalFree(argv);
  return arguments;
}

using file_bytes::WriteBytes;

// One line appended to the report file at Path.
inline void AppendLine(const std::wstring& path, const std::string& line) {
  WriteBytes(path, line + "\n", true);
}

// Registers a window class with Procedure and creates the program's one
// top-level window of it; nullptr when either fails.
inline HWND CreateMainWindow(HINSTANCE instance, WNDPROC procedure, const wchar_t* className,
                             const wchar_t* caption, DWORD exStyle, RECT place,
                             HMENU menu = nullptr) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = procedure;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = className;
  if (!RegisterClassExW(&wc)) return nullptr;
  return CreateWindowExW(exStyle, className, caption, WS_OVERLAPPEDWINDOW, place.left, place.top,
                         place.right - place.left, place.bottom - place.top, nullptr, menu,
                         instance, nullptr);
}

// Shows Window in front with the keyboard focus in Focus.
inline void ShowInFront(HWND window, HWND focus) {
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  SetFocus(focus);
}

// The program's one edit control (EDIT unless ClassName names another),
// made in its window's WM_CREATE: it fills the window and holds the
// keyboard focus. Subclass becomes its window procedure; the control's own
// one is returned in *Original.
inline HWND CreateFocusedEdit(HWND parent, int id, DWORD style, WNDPROC subclass,
                              WNDPROC* original, const wchar_t* className = L"EDIT") {
  HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, className, L"", WS_CHILD | WS_VISIBLE | style, 0,
                              0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              nullptr, nullptr);
  *original = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass)));
  return edit;
}

// The part of the window procedure that keeps Edit filling the window and
// focused, and ends the program with the window. True when it handled Msg.
inline bool HandleEditWindowMessage(HWND edit, UINT msg, LPARAM lParam) {
  switch (msg) {
    case WM_SIZE:
      MoveWindow(edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return true;
    case WM_SETFOCUS:
    case WM_ACTIVATE:
      SetFocus(edit);
      return true;
    case WM_DESTROY:
      PostQuitMessage(0);
      return true;
    default:
      return false;
  }
}

// Dispatches the thread's messages until WM_QUIT.
inline void RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace small_program
