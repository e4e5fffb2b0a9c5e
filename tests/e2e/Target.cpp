// target.exe: the "other application" of the end-to-end tests. One window
// with one multi-line EDIT control that holds the keyboard focus, so that a
// paste request sent to the focused control of the foreground window lands
// here.
//
//   target.exe REPORT_FILE
//
// After every change of the edit's text, REPORT_FILE holds that text as
// bytes (the edit's text in the ANSI code page, so a pasted CF_TEXT block
// comes back byte for byte). On WM_PASTE the raw CF_TEXT bytes on the
// clipboard (up to the terminating zero) are appended to
// REPORT_FILE.pastes, each paste as one record: a 4-byte little-endian
// length followed by the bytes; then they are inserted at the caret. WM_APP sent to the window writes the report
// at once (a multi-line edit reports no change for WM_SETTEXT).
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "SmallProgram.h"

namespace {

constexpr wchar_t kClassName[] = L"OrdfalkE2ETarget";
constexpr int kEditId = 100;
constexpr UINT kReportNow = WM_APP;  // sent by the tests: write the report now

std::wstring g_report;
HWND g_edit = nullptr;
WNDPROC g_editProc = nullptr;

using small_program::WriteBytes;

// The report is written to a side file and moved over the real one, so a
// reader never sees half of it.
void ReportText() {
  const int length = GetWindowTextLengthA(g_edit);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(g_edit, text.data(), length + 1);
  text.resize(static_cast<size_t>(got > 0 ? got : 0));
  const std::wstring side = g_report + L".new";
  WriteBytes(side, text, false);
  MoveFileExW(side.c_str(), g_report.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// Wine's bridge to the X clipboard opens the clipboard now and then; a
// paste that finds it busy tries again for a while rather than losing the
// text, so that what the test sees depends on the sender alone.
bool OpenClipboardPatiently(HWND owner) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Sleep(10);
  }
  return false;
}

std::string ClipboardTextBytes(HWND owner) {
  std::string bytes;
  if (!OpenClipboardPatiently(owner)) return bytes;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const char* p = static_cast<const char*>(GlobalLock(data))) {
      const SIZE_T size = GlobalSize(data);
      SIZE_T n = 0;
      while (n < size && p[n] != '\0') ++n;
      bytes.assign(p, n);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return bytes;
}

// WM_PASTE: record the CF_TEXT bytes, then insert them as the edit control
// would, through the ANSI code page, at the caret.
LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PASTE) {
    const std::string bytes = ClipboardTextBytes(hwnd);
    const auto size = static_cast<uint32_t>(bytes.size());
    std::string record(reinterpret_cast<const char*>(&size), sizeof size);
    record += bytes;
    WriteBytes(g_report + L".pastes", record, true);
    std::wstring text(bytes.size(), L'\0');
    const int n = bytes.empty() ? 0
                                : MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(size),
                                                      text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(n));
    CallWindowProcW(g_editProc, hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    return 0;
  }
  return CallWindowProcW(g_editProc, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      g_edit = small_program::CreateFocusedEdit(
          hwnd, kEditId, WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, EditProc,
          &g_editProc);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE) ReportText();
      return 0;
    case kReportNow:
      ReportText();
      return 1;
    default:
      if (small_program::HandleEditWindowMessage(g_edit, msg, lParam)) return 0;
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::vector<std::wstring> arguments = small_program::Arguments();
  if (arguments.size() < 2) return 2;
  g_report = arguments[1];

  HWND window = small_program::CreateMainWindow(instance, WindowProc, kClassName,
                                                L"Ordfalk test target", 0, {600, 600, 1000, 900});
  if (!window) return 4;
  small_program::ShowInFront(window, g_edit);
  ReportText();  // an empty report: the target is ready

  small_program::RunMessageLoop();
  return 0;
}
