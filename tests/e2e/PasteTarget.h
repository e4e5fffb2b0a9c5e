// PasteTarget: target.exe, started and read from the tests. It stands for
// the application the user works in: the window a hot key pastes into.
#pragma once

#include <string>
#include <vector>

#include "Desktop.h"

namespace e2e {

class PasteTarget {
 public:
  // Starts target.exe (beside the test executable) with its report in
  // Folder; false when it did not come up with its edit focused. RichEdit:
  // a rich edit control rather than an EDIT. PosixLocale: the system
  // language it runs under (a copy in Folder is started then, so that it
  // is found by its own path).
  bool Start(const std::wstring& folder, bool richEdit = false,
             const std::string& posixLocale = {});
  HWND Window() const { return window_; }
  HWND Edit() const { return edit_; }
  const Process& Proc() const { return process_; }

  // Makes the target the foreground window, as a user clicking into it.
  bool BringToFront() const;
  // The edit's whole text as bytes, as last reported.
  std::string Text() const;
  // The edit's whole text now, as the control holds it.
  std::wstring UnicodeText() const { return TextOf(edit_); }
  // Waits until the reported text is Expected; returns the last text seen.
  std::string WaitForText(const std::string& expected, DWORD timeoutMs = 3000) const;
  // The CF_TEXT bytes of every WM_PASTE the edit received, in order.
  std::vector<std::string> Pastes() const;
  bool WaitForPasteCount(size_t count, DWORD timeoutMs = 3000) const;
  // Empties the edit and forgets the pastes seen so far.
  void Clear();

 private:
  Process process_;
  std::wstring report_;
  HWND window_ = nullptr;
  HWND edit_ = nullptr;
};

}  // namespace e2e
