// Tests of the built program:  program_tests [gtest options]
// They test the Ordfalk.exe beside this program and save a screenshot of the
// main window per screen setting and language in ..\screenshots, seen from
// this program's folder.
#include <windows.h>

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Window positions and screen pixels as they are, not as a program made
  // for 96 dots per inch would be shown them.
  using SetContext = BOOL(WINAPI*)(HANDLE);
  auto setContext = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
  if (!setContext || !setContext(perMonitorV2)) SetProcessDPIAware();
  return RUN_ALL_TESTS();
}
