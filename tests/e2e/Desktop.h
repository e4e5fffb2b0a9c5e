// Desktop: what the end-to-end tests need to drive real programs the way a
// user does, from a Win32 process on the same desktop: start and stop
// processes, find and read windows, press keys and click by SendInput, find
// the tray icon, take screenshots by GDI, read what the capability probe
// found, and run a Unix helper (xdotool, wineboot) when running under Wine.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "FileBytes.h"
#include "MouseInput.h"

namespace e2e {

// --- Time ------------------------------------------------------------------

// Polls Condition every StepMs until it holds or TimeoutMs have passed.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000, DWORD stepMs = 15);

// --- Files and folders -----------------------------------------------------

std::wstring ExeDir();  // folder of the running test executable
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
bool FileExists(const std::wstring& path);
using file_bytes::ReadBytes;  // empty when missing
using file_bytes::WriteBytes;
bool CopyFileTo(const std::wstring& from, const std::wstring& to);
// A new, empty folder for one test, below the user's temp folder.
std::wstring MakeTempFolder(const std::wstring& tag);
void RemoveFolder(const std::wstring& folder);  // best effort, recursive

// --- Processes ---------------------------------------------------------------

struct StartOptions {
  StartOptions() = default;
  StartOptions(std::wstring args) : arguments(std::move(args)) {}  // NOLINT: implicit on purpose

  std::wstring arguments;  // appended to the quoted exe path
  int showCommand = -1;    // STARTUPINFO wShowWindow when not -1
  // A POSIX locale name ("sv_SE.UTF-8"). Wine takes the thread locale from
  // the Unix environment the process image starts with, not from the
  // Windows environment block, so a process with its own locale is started
  // through the Unix launcher (see StartWithLocale in Desktop.cpp).
  std::string posixLocale;
};

// A started process. Terminated on destruction if it still runs, so a
// failing test leaves nothing behind.
class Process {
 public:
  Process() = default;
  Process(HANDLE handle, DWORD id) : handle_(handle), id_(id) {}
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process();

  explicit operator bool() const { return handle_ != nullptr; }
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return handle_; }
  bool Running() const;
  // True when the process ended within TimeoutMs.
  bool WaitForExit(DWORD timeoutMs = 5000) const;
  DWORD ExitCode() const;  // STILL_ACTIVE while running
  void Kill();

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

Process Start(const std::wstring& exePath, const StartOptions& options = {});
// Opens an already running process whose image is ExePath (full path,
// compared without case), waiting up to TimeoutMs for it to appear.
Process FindProcessByImage(const std::wstring& exePath, DWORD timeoutMs = 5000);
// The processes that run now: id and image file name.
std::vector<std::pair<DWORD, std::wstring>> RunningProcesses();

// --- Windows -----------------------------------------------------------------

std::wstring ClassNameOf(HWND window);
// The window's text, asked by WM_GETTEXT (works across processes, and for
// controls of other processes, unlike GetWindowTextW).
std::wstring TextOf(HWND window);
bool SetTextOf(HWND window, const std::wstring& text);
DWORD ProcessOf(HWND window);
DWORD ThreadOf(HWND window);

// Top-level windows of a process (any process when ProcessId is 0) with the
// given class (any when empty) and caption (any when null).
std::vector<HWND> TopWindows(DWORD processId, const std::wstring& className,
                             const wchar_t* caption = nullptr);
// The first such window, polling until TimeoutMs; nullptr when none came.
HWND WaitForTopWindow(DWORD processId, const std::wstring& className,
                      const wchar_t* caption = nullptr, DWORD timeoutMs = 5000);
// The control with the given id and class among the window's descendants.
HWND ControlOf(HWND parent, int controlId, const std::wstring& className = {});
// Text of every Static child of a dialog, joined by "\n".
std::wstring StaticTexts(HWND dialog);

RECT WindowRectOf(HWND window);
RECT ClientRectOnScreen(HWND window);
RECT WorkArea();
// The window with the keyboard focus in the thread that owns Window.
HWND FocusOf(HWND window);
using mouse_input::ParkPointer;
// Gives ProcessId (any with ASFW_ANY) the right to take the foreground before it is asked to,
// and brings Window to the front when given: this thread joins the input of the foreground
// window's thread for the calls, which Windows lets set the foreground.
void AllowForeground(DWORD processId = ASFW_ANY, HWND window = nullptr);
// Makes Window the foreground window (and its thread's focus stay where it
// was). True when GetForegroundWindow then reports it.
bool BringToFront(HWND window, DWORD timeoutMs = 3000);

// %TEMP%\ordfalk-e2e, where the DLLs below exchange files with the tests.
std::wstring InsideFolder();
// The report of DllName (menu_dump.dll, dpi_probe.dll), from this program's
// folder, loaded into the window's process: the lines of its file
// REPORT-PID.txt in InsideFolder(); none when it did not come.
std::vector<std::string> ReportFromInside(HWND window, const std::wstring& dllName,
                                          const std::wstring& report);

// The items of a window's menu bar, popups included. A window of another
// process is read from inside that process (menu_dump.dll), because Wine
// cannot read another process's menus.
struct MenuItem {
  std::vector<int> path;  // positions: {0} the first menu, {0, 1} its second item
  int id = -1;            // command id; -1 for a popup
  std::wstring text;
};
std::vector<MenuItem> MenuItemsOf(HWND window);
// The text of the item at Path; empty when there is none.
std::wstring MenuText(const std::vector<MenuItem>& items, const std::vector<int>& path);
int MenuId(const std::vector<MenuItem>& items, const std::vector<int>& path);

// --- Input -------------------------------------------------------------------

// Presses the keys in order and releases them in reverse order, through
// SendInput, as a user holding a combination would.
void PressKeys(const std::vector<WORD>& virtualKeys);
using mouse_input::ClickAt;
// The first of Names that capabilities.txt beside the test program (from
// capability_probe.exe) reports as `no`, its last line counting; empty when
// none is, or there is no report. SKIP_WITHOUT skips the test then.
std::string MissingCapability(std::initializer_list<const char*> names);
#define SKIP_WITHOUT(...)                                                                      \
  if (const std::string missing_ = ::e2e::MissingCapability({__VA_ARGS__}); !missing_.empty()) \
  GTEST_SKIP() << "capability " << missing_ << ": no (capabilities.txt)"
// Skips a test off Wine, naming what of Wine's it needs.
#define SKIP_UNLESS_WINE(what) \
  if (!::e2e::RunningUnderWine()) GTEST_SKIP() << "Wine only: " << (what)

// --- Unix side (under Wine) ------------------------------------------------

bool RunningUnderWine();
// The Unix path of a Windows path (Wine only; empty elsewhere).
std::string UnixPathOf(const std::wstring& windowsPath);
struct UnixResult {
  bool finished = false;  // false on time-out, or when not under Wine
  int exitCode = -1;
  std::string output;     // stdout and stderr together
};
// Runs a POSIX shell script under /bin/sh and waits for it to finish.
UnixResult RunUnix(const std::string& script, DWORD timeoutMs = 10000);
// Single-quotes Text for the shell.
std::string ShellQuote(const std::string& text);
std::string Narrow(const std::wstring& text);  // UTF-8

// --- Screen ------------------------------------------------------------------

// Part of the screen as it is, in 24-bit pixels, top row first (GDI).
struct Picture {
  int width = 0, height = 0;
  std::vector<BYTE> pixels;  // BGR, rows padded to 4 bytes
  int Stride() const { return (width * 3 + 3) & ~3; }
  COLORREF At(int x, int y) const {
    const BYTE* p = &pixels[static_cast<size_t>(y) * Stride() + static_cast<size_t>(x) * 3];
    return RGB(p[2], p[1], p[0]);
  }
};
Picture CaptureScreen(const RECT& area);
bool SaveBitmap(const Picture& picture, const std::wstring& path);  // a .bmp file
// Saves the whole screen as e2e-shots/NAME.bmp beside the build's bin
// folder; returns its Windows path, or empty when it could not.
std::wstring SaveScreenshot(const std::wstring& name);

// --- Notification area ---------------------------------------------------------

struct TrayIcon {
  std::wstring tip;
  POINT centre{};  // screen coordinates
};
// The icons shown in the notification area, in display order. Wine's tray
// gives each icon a child window and a tooltip tool for it; the tools give
// the tips (the text the tray shows when the pointer rests on the icon),
// the windows the places.
std::vector<TrayIcon> TrayIcons();
// The last (newest) icon whose tooltip is Tip; false when there is none.
bool FindTrayIcon(const std::wstring& tip, TrayIcon* icon, DWORD timeoutMs = 5000);
// The centre of the icon Id of the window Owner, as Shell_NotifyIconGetRect
// gives it; under Wine, which does not implement that, the newest icon in
// Wine's tray whose tooltip is Tip.
bool TrayIconCentre(HWND owner, UINT id, const std::wstring& tip, POINT* centre);

}  // namespace e2e
