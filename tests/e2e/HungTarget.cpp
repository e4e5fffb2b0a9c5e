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
  if (msg == WM_CREATE) {
    g_edit = small_program::CreateFocusedEdit(hwnd, 100, ES_MULTILINE | ES_WANTRETURN, EditProc,
                                              &g_editProc);
    return 0;
  }
  if (small_program::HandleEditWindowMessage(g_edit, msg, lParam)) return 0;
  return DefWindowProcW(hwnd, msg, wParam, lParam);
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
