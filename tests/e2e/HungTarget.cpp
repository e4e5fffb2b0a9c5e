// hung_target.exe: an application that stops answering when asked to paste.
// One window with one EDIT control holding the keyboard focus; a WM_PASTE
// sent to the edit is noted and then not answered for HANG_MS.
//
//   hung_target.exe REPORT_FILE HANG_MS
//
// Appends "ready" to REPORT_FILE once the edit has the focus, and "paste"
// when a WM_PASTE arrives (before it hangs).
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

constexpr wchar_t kClassName[] = L"OrdfalkHungTarget";

std::wstring g_report;
DWORD g_hangMs = 0;
HWND g_edit = nullptr;
WNDPROC g_editProc = nullptr;

void Report(const char* line) {
  HANDLE file = CreateFileW(g_report.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string text = std::string(line) + "\n";
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PASTE) {
    Report("paste");
    Sleep(g_hangMs);
    return 0;
  }
  return CallWindowProcW(g_editProc, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      g_edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                               WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_WANTRETURN, 0, 0, 0, 0,
                               hwnd, reinterpret_cast<HMENU>(100), nullptr, nullptr);
      g_editProc = reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(g_edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc)));
      return 0;
    case WM_SIZE:
      MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_SETFOCUS:
    case WM_ACTIVATE:
      SetFocus(g_edit);
      return 0;
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
  if (argc < 3) return 2;
  g_report = argv[1];
  g_hangMs = static_cast<DWORD>(_wtoi(argv[2]));
  LocalFree(argv);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClassName;
  if (!RegisterClassExW(&wc)) return 3;
  HWND window = CreateWindowExW(0, kClassName, L"Ordfalk hung target", WS_OVERLAPPEDWINDOW, 100,
                                600, 400, 300, nullptr, nullptr, instance, nullptr);
  if (!window) return 4;
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  SetFocus(g_edit);
  Report("ready");

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
