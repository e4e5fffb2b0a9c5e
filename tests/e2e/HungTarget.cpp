// hung_target.exe: an application that stops answering when asked to paste.
// One window with one EDIT control holding the keyboard focus; a WM_PASTE
// sent to the edit is noted and then not answered for HANG_MS.
//
//   hung_target.exe REPORT_FILE HANG_MS
//
// Appends "ready" to REPORT_FILE once the edit has the focus, and "paste"
// when a WM_PASTE arrives (before it hangs).
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "SmallProgram.h"

namespace {

constexpr wchar_t kClassName[] = L"OrdfalkHungTarget";

std::wstring g_report;
DWORD g_hangMs = 0;
HWND g_edit = nullptr;
WNDPROC g_editProc = nullptr;

void Report(const char* line) { small_program::AppendLine(g_report, line); }

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
  const std::vector<std::wstring> arguments = small_program::Arguments();
  if (arguments.size() < 3) return 2;
  g_report = arguments[1];
  g_hangMs = static_cast<DWORD>(_wtoi(arguments[2].c_str()));

  HWND window = small_program::CreateMainWindow(instance, WindowProc, kClassName,
                                                L"Ordfalk hung target", 0, {100, 600, 500, 900});
  if (!window) return 4;
  small_program::ShowInFront(window, g_edit);
  Report("ready");

  small_program::RunMessageLoop();
  return 0;
}
