// target.exe: the "other application" of the end-to-end tests. One window
// with one multi-line edit control that holds the keyboard focus, so that a
// paste request sent to the focused control of the foreground window lands
// here.
//
//   target.exe REPORT_FILE [rich]
//
// With "rich" the control is a rich edit (as in WordPad), otherwise a
// standard EDIT. After every change of the control's text, REPORT_FILE
// holds that text as bytes (in the ANSI code page, so that under code page
// 1252 a pasted CF_TEXT block comes back byte for byte; the tests read the
// Unicode text with WM_GETTEXT). On WM_PASTE the raw CF_TEXT bytes on the
// clipboard (up to the terminating zero) are appended to
// REPORT_FILE.pastes, each paste as one record: a 4-byte little-endian
// length followed by the bytes. The EDIT then inserts the clipboard's
// Unicode text at the caret, as an EDIT's own paste does; the rich edit
// pastes by its own handling. WM_APP sent to the window writes the report
// at once (a multi-line edit reports no change for WM_SETTEXT).
#include <windows.h>
#include <richedit.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ClipboardBlocks.h"
#include "SmallProgram.h"

namespace {

constexpr wchar_t kClassName[] = L"OrdfalkE2ETarget";
constexpr int kEditId = 100;
constexpr UINT kReportNow = WM_APP;  // sent by the tests: write the report now

std::wstring g_report;
bool g_rich = false;
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

struct ClipboardText {
  std::string bytes;  // CF_TEXT up to its zero byte
  std::wstring text;  // CF_UNICODETEXT, as placed or converted from CF_TEXT
};

// A paste that finds the clipboard busy (Wine's bridge to the X clipboard
// opens it now and then) tries again for a while rather than losing the
// text, so that what the test sees depends on the sender alone.
ClipboardText ReadClipboardText(HWND owner) {
  ClipboardText read;
  if (!clipboard_blocks::Open(owner)) return read;
  read.bytes = clipboard_blocks::UpToZero<char>(clipboard_blocks::Block(CF_TEXT));
  read.text = clipboard_blocks::UpToZero<wchar_t>(clipboard_blocks::Block(CF_UNICODETEXT));
  CloseClipboard();
  return read;
}

// WM_PASTE: record the CF_TEXT bytes, then paste as the control would.
LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PASTE) {
    const ClipboardText read = ReadClipboardText(hwnd);
    const auto size = static_cast<uint32_t>(read.bytes.size());
    std::string record(reinterpret_cast<const char*>(&size), sizeof size);
    record += read.bytes;
    WriteBytes(g_report + L".pastes", record, true);
    // The clipboard is free again now: the rich edit reads it itself.
    if (g_rich) return CallWindowProcW(g_editProc, hwnd, msg, wParam, lParam);
    CallWindowProcW(g_editProc, hwnd, EM_REPLACESEL, TRUE,
                    reinterpret_cast<LPARAM>(read.text.c_str()));
    return 0;
  }
  return CallWindowProcW(g_editProc, hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      g_edit = small_program::CreateFocusedEdit(
          hwnd, kEditId, WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, EditProc,
          &g_editProc, g_rich ? MSFTEDIT_CLASS : L"EDIT");
      if (g_rich) SendMessageW(g_edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
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
  g_rich = arguments.size() > 2 && arguments[2] == L"rich";
  if (g_rich && !LoadLibraryW(L"msftedit.dll")) return 3;

  HWND window = small_program::CreateMainWindow(instance, WindowProc, kClassName,
                                                L"Ordfalk test target", 0, {600, 600, 1000, 900});
  if (!window) return 4;
  small_program::ShowInFront(window, g_edit);
  ReportText();  // an empty report: the target is ready

  small_program::RunMessageLoop();
  return 0;
}
