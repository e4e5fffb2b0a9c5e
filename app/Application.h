// Process-wide state of the program: the application title and the start-up
// show command.
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
};

extern TApplication Application;

// Shows the box for an unexpected error raised while a message was handled.
void ShowUnexpectedError(HWND owner, const char* what) noexcept;

}  // namespace ordfalk
