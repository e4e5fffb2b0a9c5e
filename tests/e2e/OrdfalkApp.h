// OrdfalkApp: one run of the real Ordfalk.exe for an end-to-end test, in a
// folder of its own (so its settings file is its own), seen from outside
// through its windows, its tray icon, its settings file and its exit code.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Desktop.h"

namespace e2e {

// What the program shows the user, in one language.
struct LanguageTexts {
  const char* name;
  bool swedish;
  const wchar_t* title;
  const wchar_t* fileMenu;
  const wchar_t* quitItem;
  const wchar_t* helpMenu;
  const wchar_t* aboutItem;
  const wchar_t* aboutCaption;
  const wchar_t* aboutTextStart;
  const wchar_t* errorCaption;
  const wchar_t* ansiError;
};
extern const LanguageTexts kSwedish;
extern const LanguageTexts kEnglish;

// The program's outward constants.
inline constexpr wchar_t kMainClass[] = L"TfrmMain";
inline constexpr wchar_t kTrayClass[] = L"TTrayIconMain";
inline constexpr wchar_t kDialogClass[] = L"#32770";
inline constexpr int kFirstMemoId = 101;  // txtText1; txtText8 is 108
inline constexpr int kOkId = IDOK;
inline constexpr UINT kQuitCommand = 301;
inline constexpr UINT kAboutCommand = 302;
inline constexpr UINT kTrayCallback = WM_APP + 1;
inline constexpr UINT kTrayIconId = 1;
inline constexpr int kClientSize = 465;
// The atom of slot 8's hot key: added by the last step of start-up.
inline constexpr wchar_t kLastAtom[] = L"[CTRL+SHIFT+F4]";
// The mutex of the copy that runs. A start that finds it shows that copy's
// window and ends at once; while that copy ends, the start waits for the end
// and runs in its place.
inline constexpr wchar_t kRunningMutex[] = L"Local\\Ordfalk.Running";

// The built program, beside the test executable.
std::wstring BuiltProgram();
// The one folder (C:\ordfalk-tray, or ORDFALK_TRAY_FOLDER) from which the
// programs whose tray icons are clicked run: a runner's shell is told to
// show the icons of the programs there.
std::wstring TrayFolder();

// A new folder with a copy of the built program. Removed at the end unless
// the test failed (to look at afterwards).
class ProgramFolder {
 public:
  // TrayFolder: the program runs from TrayFolder(); that folder stays, and
  // its settings file goes at the start.
  explicit ProgramFolder(const std::wstring& tag, bool trayFolder = false);
  ~ProgramFolder();
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  bool Ready() const { return ready_; }
  const std::wstring& Folder() const { return folder_; }
  const std::wstring& ExePath() const { return exe_; }
  std::wstring IniPath() const { return JoinPath(folder_, L"Ordfalk.INI"); }
  bool WriteIni(const std::string& content) const { return WriteBytes(IniPath(), content); }
  std::string IniBytes() const { return ReadBytes(IniPath()); }  // empty when the file is missing

 private:
  bool ready_ = false;
  bool fixed_ = false;
  std::wstring folder_;
  std::wstring exe_;
};

// One running process of the program, seen from outside: its windows,
// memos, message boxes, memory and exit code. Killed on destruction if it
// still runs.
class ProgramRun {
 public:
  // Starts the program from Folder, the one copy of the program that runs
  // (a second start would show the running copy and end at once), and waits
  // for its main window, its tray window and the end of its start-up.
  bool Start(const ProgramFolder& folder, const StartOptions& options = {});
  // Starts it without waiting for any window. Both end first any copy of
  // the program that this test program did not start, left over from an
  // earlier run.
  bool Launch(const ProgramFolder& folder, const StartOptions& options = {});

  Process& Proc() { return process_; }
  const Process& Proc() const { return process_; }
  HWND Main() const { return main_; }
  HWND Tray() const { return tray_; }
  DWORD Thread() const { return ThreadOf(main_); }

  HWND Memo(int slot) const;  // slot 1..8
  std::wstring MemoText(int slot) const;
  std::vector<std::wstring> MemoTexts() const;  // slots 1..8
  bool SetMemoText(int slot, const std::wstring& text) const;
  HWND OkButton() const;

  bool Visible() const { return IsWindowVisible(main_) != FALSE; }
  bool WaitVisible(bool visible, DWORD timeoutMs = 5000) const;
  // A double-click on the tray icon as the program's tray window receives
  // it from the shell (no pointer involved).
  void SendTrayMouse(UINT mouseMessage) const;
  // An event of the tray icon in the form the shell uses once the program
  // has asked for version 4: the event in the low word of lParam, the
  // icon's id in the high word, the pointer's place in wParam. Sent: the
  // program has handled it when the call returns.
  void SendTrayEvent(UINT event) const;
  // Shows the window through the tray callback and waits for it.
  bool ShowFromTray() const;
  // A real double-click (SendInput) on the program's tray icon (TrayIconCentre).
  bool DoubleClickTrayIcon(const std::wstring& tip, int button = 1) const;

  void Command(UINT id) const;  // a menu command, as the menu sends it
  void ClickOk() const;         // the OK button, clicked (posted: may open a box)
  void Close() const;           // WM_CLOSE, as the close button sends it
  // True when the process ended within TimeoutMs with exit code 0.
  bool EndsCleanly(DWORD timeoutMs = 10000) const;

  // Whether the program's GUI thread handles a sent message within TimeoutMs.
  bool Answers(DWORD timeoutMs) const;
  // Message boxes of the process that are open now.
  std::vector<HWND> Boxes() const;
  // The program's message box with this caption, once it is shown.
  HWND WaitForBox(const std::wstring& caption, DWORD timeoutMs = 5000) const;
  // PrivateUsage of the process, in bytes (0 when unknown).
  size_t PrivateBytes() const;

 private:
  Process process_;
  HWND main_ = nullptr;
  HWND tray_ = nullptr;
};

// A run of the program in a folder of its own, made for the one test.
class OrdfalkApp : public ProgramRun {
 public:
  // Makes the folder and copies the program into it (ASSERT in the caller
  // that Ready() holds).
  OrdfalkApp();
  ~OrdfalkApp();
  OrdfalkApp(const OrdfalkApp&) = delete;
  OrdfalkApp& operator=(const OrdfalkApp&) = delete;

  bool Ready() const { return ready_; }
  const std::wstring& Folder() const { return folder_.Folder(); }
  const std::wstring& ExePath() const { return folder_.ExePath(); }
  std::wstring IniPath() const { return folder_.IniPath(); }

  bool WriteIni(const std::string& content) const { return folder_.WriteIni(content); }
  std::string IniBytes() const { return folder_.IniBytes(); }  // empty when the file is missing
  // The values of section [Main], key by key, as the file holds them.
  std::map<std::string, std::string> IniMain() const;

  // Starts the program and waits for the end of its start-up. False when
  // its windows did not come.
  bool Start(const StartOptions& options = {});

 private:
  ProgramFolder folder_{L"ordfalk"};
  bool ready_ = false;
};

// Upper-case hexadecimal of bytes, two digits a byte.
std::string Hex(const std::string& bytes);

}  // namespace e2e
