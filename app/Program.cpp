// The program entry: start-up, the message loop and the end of the process.
#include <windows.h>
#include <commctrl.h>

#include "Application.h"
#include "Guarded.h"
#include "Main.h"
#include "SystemDll.h"
#include "WinText.h"

namespace ordfalk {

TApplication Application;

void ShowUnexpectedError(HWND owner, const char* what) noexcept {
  try {
    const Text message = what && *what ? AnsiToStr(what) : Text(u"Unexpected error");
    MessageBoxW(owner, Wide(UnexpectedErrorText(message)).c_str(), Wide(Application.Title).c_str(),
                MB_OK | MB_ICONERROR);
  } catch (...) {
  }
}

namespace {

// From here on every DLL that the program or a system DLL loads by name
// comes from the system folder, never from the folder the program was
// started in, where anyone may have left a file. Windows 7 has
// SetDefaultDllDirectories only with its security update; without it the
// current folder at least is left out of the search.
void RestrictDllSearch() noexcept {
  const auto setDefaultDllDirectories = ProcAddress<decltype(SetDefaultDllDirectories)>(
      GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  if (setDefaultDllDirectories == nullptr ||
      !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    SetDllDirectoryW(L"");
  }
}

// How long a second start waits for the running copy to show its window,
// or to end.
constexpr DWORD kSecondStartWaitMs = 5000;

// A second start: the running copy shows its window, as a double-click on
// its tray icon does, and says so. The user has just made this start, so
// it may hand the foreground on to the running copy. The message goes to
// every top-level window, since other programs' windows may share the class
// name. Running is the running copy's mutex, or null when this start may
// not even open it (a copy started as administrator runs): then nothing is
// waited for. True when the running copy ended meanwhile: this start then
// owns the mutex.
bool ShowRunningCopy(HANDLE running) noexcept {
  if (Application.ShownEvent) ResetEvent(Application.ShownEvent);
  AllowSetForegroundWindow(ASFW_ANY);
  const UINT show = RegisterWindowMessageW(kShowMainWindowMessage);
  if (show != 0) PostMessageW(HWND_BROADCAST, show, 0, 0);
  if (running == nullptr) return false;
  // A copy that is ending (or still starting) does not answer. One that
  // ends leaves its mutex abandoned, to this start.
  const HANDLE events[] = {running, Application.ShownEvent};
  const DWORD count = Application.ShownEvent ? 2 : 1;
  const DWORD woken = WaitForMultipleObjects(count, events, FALSE, kSecondStartWaitMs);
  return woken == WAIT_OBJECT_0 || woken == WAIT_ABANDONED_0;
}

// Whether this start is the one copy of the program in its log-on session.
// The first copy owns the mutex and never releases it: it goes with the
// process, after the texts have been stored for the last time, so that no
// later start reads the file before the copy that is ending is done with
// it. A start that finds the mutex shows the running copy instead; the
// mutex of a copy started as administrator cannot be opened by a normal
// start, which is told "access denied". Any other failure lets this start
// go on as the first.
bool BecomeTheRunningCopy() noexcept {
  Application.ShownEvent = CreateEventW(nullptr, FALSE, FALSE, kShownEvent);
  const HANDLE running = CreateMutexW(nullptr, TRUE, kRunningMutex);
  const DWORD error = GetLastError();
  if (running == nullptr) {
    if (error != ERROR_ACCESS_DENIED) return true;
    ShowRunningCopy(nullptr);
    return false;
  }
  if (error != ERROR_ALREADY_EXISTS) return true;
  return ShowRunningCopy(running);
}

int Run(HINSTANCE instance) {
  Application.Instance = instance;
  Application.TaskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
  Application.ShowMainWindowMessage = RegisterWindowMessageW(kShowMainWindowMessage);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  GetStartupInfoW(&startup);
  if (startup.dwFlags & STARTF_USESHOWWINDOW) Application.StartupShowCommand = startup.wShowWindow;
  const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  Application.Title = u"Ordfalk 1.0";

  static TfrmMain form;
  frmMain = &form;
  if (!form.Create()) {
    MessageBoxW(nullptr, L"Cannot create shell notification icon.", L"Application Error",
                MB_OK | MB_ICONERROR);
    return 1;
  }

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    bool handled = true;
    RunGuarded(form.Handle(), [&] { handled = form.PreTranslateMessage(message); });
    if (handled) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  form.Destroy();
  return 0;
}

}  // namespace

}  // namespace ordfalk

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  ordfalk::RestrictDllSearch();
  // A second start touches no settings file and makes no window, icon or
  // hot key: the running copy owns them.
  if (!ordfalk::BecomeTheRunningCopy()) return 0;
  return ordfalk::Run(instance);
}
