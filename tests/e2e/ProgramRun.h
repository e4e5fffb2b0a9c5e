// ProgramRun: the real Ordfalk.exe, copied into a folder of its own (so its
// settings file is the test's), started and watched from outside: its
// windows, memos, message boxes, settings file, memory and exit code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Desktop.h"
#include "OrdfalkApp.h"

namespace e2e {
namespace run {

// Start options with these command-line arguments.
inline StartOptions WithArguments(const std::wstring& arguments) {
  StartOptions options;
  options.arguments = arguments;
  return options;
}

// The hot key of slot 1..8, as the keys a user holds.
std::vector<WORD> HotKeyOf(int slot);

// The stored form of a memo text: the low byte of each unit, in hex.
std::string StoredForm(const std::wstring& text);

// One running process of the program. Killed on destruction if it still
// runs.
class ProgramRun {
 public:
  // Starts the program and waits for its main window, its tray window and
  // the end of its start-up. OnlyCopy: no other copy of the program runs
  // (the end of start-up is then seen exactly).
  bool Start(const ProgramFolder& folder, const StartOptions& options = {}, bool onlyCopy = true);
  // Starts it without waiting for any window.
  bool Launch(const ProgramFolder& folder, const StartOptions& options = {});

  Process& Proc() { return process_; }
  const Process& Proc() const { return process_; }
  HWND Main() const { return main_; }
  HWND Tray() const { return tray_; }
  DWORD Thread() const { return ThreadOf(main_); }

  HWND Memo(int slot) const;
  std::wstring MemoText(int slot) const;
  std::vector<std::wstring> MemoTexts() const;  // slots 1..8
  bool SetMemoText(int slot, const std::wstring& text) const;

  // The tray icon double-clicked, as the shell reports it.
  bool Show() const;
  bool Visible() const { return IsWindowVisible(main_) != FALSE; }
  bool WaitHidden(DWORD timeoutMs = 5000) const;
  void ClickOk() const;  // posted: an error box may open
  void Command(UINT id) const;
  // True when the process ended within TimeoutMs with exit code 0.
  bool EndsCleanly(DWORD timeoutMs = 10000) const;

  // Whether the program's GUI thread handles a sent message within TimeoutMs.
  bool Answers(DWORD timeoutMs) const;
  // Message boxes of the process that are open now.
  std::vector<HWND> Boxes() const;
  HWND WaitForBox(const std::wstring& caption, DWORD timeoutMs = 5000) const;
  // PrivateUsage of the process, in bytes (0 when unknown).
  size_t PrivateBytes() const;

 private:
  Process process_;
  HWND main_ = nullptr;
  HWND tray_ = nullptr;
};

// The text of a message box, and its OK button pressed.
std::wstring BoxText(HWND box);
void PressBoxOk(HWND box);

// Reads an INI file the way a person would: sections in order, each with
// its key=value lines, for checking what the program left in a file.
struct IniLine {
  std::string key;
  std::string value;
};
struct IniSection {
  std::string name;
  std::vector<IniLine> lines;
};
std::vector<IniSection> ParseIni(const std::string& bytes);
// The value of Key in the first section Name, comparing names without case.
bool IniValue(const std::vector<IniSection>& sections, const std::string& section,
              const std::string& key, std::string* value);

}  // namespace run
}  // namespace e2e
