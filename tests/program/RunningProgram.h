// Starts the built Ordfalk.exe the way a user's copy runs: from a folder of
// its own (so its Ordfalk.INI lands there), finds its windows, opens the main
// window as a double-click on the tray icon does, and ends it.
#pragma once

#include <windows.h>

#include <string>

namespace ordfalk::testing {

// The path of the Ordfalk.exe under test, given on the command line.
extern std::wstring programPath;
// Where screenshots go, given on the command line.
extern std::wstring screenshotFolder;

// Sets HKCU\Control Panel\Desktop\LogPixels for the programs started from
// now on, and puts the old value back when it goes.
class LogPixelsSetting {
 public:
  explicit LogPixelsSetting(DWORD dpi);
  ~LogPixelsSetting();
  LogPixelsSetting(const LogPixelsSetting&) = delete;
  LogPixelsSetting& operator=(const LogPixelsSetting&) = delete;

 private:
  bool hadValue_ = false;
  DWORD oldValue_ = 0;
};

class RunningProgram {
 public:
  // Copies the program into a new temporary folder and starts it there with
  // Arguments; waits until its tray icon window and main window exist.
  explicit RunningProgram(const std::wstring& arguments);
  // Ends the program if it still runs and removes the folder.
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool Started() const { return mainWindow_ != nullptr && trayWindow_ != nullptr; }
  HWND MainWindow() const { return mainWindow_; }

  // What a double-click on the tray icon does; true once the window shows.
  bool ShowMainWindow();
  // Closes the main window; the exit code, or -1 when it did not end.
  int Close();

 private:
  std::wstring folder_;
  PROCESS_INFORMATION process_{};
  HWND mainWindow_ = nullptr;
  HWND trayWindow_ = nullptr;
};

// The top-level window of Process with window class ClassName, or null.
HWND FindProcessWindow(DWORD process, const wchar_t* className);

}  // namespace ordfalk::testing
