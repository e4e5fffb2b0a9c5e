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

// Whether a copy of the program already runs in this log-on session. The
// first copy's mutex is never closed: it goes with the process, after the
// texts have been stored for the last time, so that no later start reads
// the file before the copy that is ending is done with it. The mutex of a
// copy started as administrator cannot be opened by a normal start, which
// is told "access denied": a copy runs all the same. Any other failure lets
// this start go on as the first.
bool AnotherCopyRuns() noexcept {
  const HANDLE running = CreateMutexW(nullptr, FALSE, kRunningMutex);
  const DWORD error = GetLastError();
  if (running == nullptr) return error == ERROR_ACCESS_DENIED;
  return error == ERROR_ALREADY_EXISTS;
}

// A second start: the running copy shows its window, as a double-click on
// its tray icon does. The user has just made this start, so it may hand the
// foreground on to the running copy. The message goes to every top-level
// window, since other programs' windows may share the class name; nobody
// may answer (the running copy is still starting, or ending).
void ShowRunningCopy() noexcept {
  AllowSetForegroundWindow(ASFW_ANY);
  const UINT show = RegisterWindowMessageW(kShowMainWindowMessage);
  if (show != 0) PostMessageW(HWND_BROADCAST, show, 0, 0);
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
  if (ordfalk::AnotherCopyRuns()) {
    ordfalk::ShowRunningCopy();
    return 0;
  }
  return ordfalk::Run(instance);
}
