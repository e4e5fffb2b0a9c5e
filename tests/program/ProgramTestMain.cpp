// Tests of the built program:  program_tests [gtest options]
// They test the Ordfalk.exe beside this program and save a screenshot of the
// main window per screen setting and language in ..\screenshots, seen from
// this program's folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "RunningProgram.h"

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring folder = self;
  folder.erase(folder.find_last_of(L'\\'));
  ordfalk::testing::programPath = folder + L"\\Ordfalk.exe";
  ordfalk::testing::screenshotFolder = folder.substr(0, folder.find_last_of(L'\\')) + L"\\screenshots";
  CreateDirectoryW(ordfalk::testing::screenshotFolder.c_str(), nullptr);

  // Window positions and screen pixels as they are, not as a program made
  // for 96 dots per inch would be shown them.
  using SetContext = BOOL(WINAPI*)(HANDLE);
  auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  if (!setContext || !setContext(perMonitorV2)) SetProcessDPIAware();
  return RUN_ALL_TESTS();
}
