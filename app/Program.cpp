// The program entry: start-up, the message loop and the end of the process.
#include <windows.h>
#include <commctrl.h>

#include "Application.h"
#include "Guarded.h"
#include "Main.h"
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

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return ordfalk::Run(instance); }
