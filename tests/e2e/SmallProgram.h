// What the small programs the end-to-end tests start (target.exe,
// hung_target.exe, tray_probe.exe) have in common: their command line, the
// report file they write for the tests, their one window, and the message
// loop.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

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

// Writes Bytes to the file at Path, replacing it or appending to it. The
// tests may hold the file open to read it meanwhile.
inline void WriteBytes(const std::wstring& path, const std::string& bytes, bool append) {
  HANDLE file = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

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

// Dispatches the thread's messages until WM_QUIT.
inline void RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace small_program
