// Process-wide state of the program: the application title, the start-up
// show command and the messages it registers.
#pragma once

#include <windows.h>

#include "Toolz.h"

namespace ordfalk {

struct TApplication {
  // The tray tooltip, the English window caption, the second half of the
  // About caption and the caption of the box for unexpected errors.
  Text Title = u"Ordfalk 1.0";
  HINSTANCE Instance = nullptr;
  // The show command the process was started with, when it gave one.
  int StartupShowCommand = SW_SHOWNORMAL;
  // The registered message "TaskbarCreated": the shell has restarted.
  UINT TaskbarCreatedMessage = 0;
  // The registered message of kShowMainWindowMessage: a second start of the
  // program asks the running copy to show its window.
  UINT ShowMainWindowMessage = 0;
  // Set by the running copy each time it has shown its window for a second
  // start (kShownEvent); null when it could not be made.
  HANDLE ShownEvent = nullptr;
};

// One copy of the program runs in a log-on session: the one that owns this
// mutex.
inline constexpr wchar_t kRunningMutex[] = L"Local\\Ordfalk.Running";
inline constexpr wchar_t kShowMainWindowMessage[] = L"Ordfalk.ShowMainWindow";
inline constexpr wchar_t kShownEvent[] = L"Local\\Ordfalk.Shown";

extern TApplication Application;

// Shows the box for an unexpected error raised while a message was handled.
void ShowUnexpectedError(HWND owner, const char* what) noexcept;

}  // namespace ordfalk
