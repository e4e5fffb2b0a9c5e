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

int Run(HINSTANCE instance) {
  Application.Instance = instance;
  Application.TaskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
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
  return ordfalk::Run(instance);
}
