// Faults from outside: the notification area refusing or restarting, the
// clipboard held by another program, a target that never answers, no
// foreground window, a settings file that cannot be written, two copies
// storing into one file, and the end of the log-on with a box open.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "Desktop.h"
#include "FakeTray.h"
#include "PasteTarget.h"
#include "ProgramRun.h"

using namespace e2e;
using namespace e2e::run;

namespace {

// --- Notification area -----------------------------------------------------------

TEST(TrayFaultTest, RefusedIconEndsStartUpWithErrorBoxAndExitCodeOne) {
  ProgramFolder folder(L"tray-refused");
  ASSERT_TRUE(folder.Ready());
  const std::string settings = "[Main]\r\nText1=414243\r\n[Other]\r\nKeep=this\r\n";
  ASSERT_TRUE(folder.WriteIni(settings));
  FakeTray tray;
  ASSERT_TRUE(tray.Start(false)) << "the fake notification area is not the one Wine reaches";

  ProgramRun program;
  ASSERT_TRUE(program.Launch(folder));
  const HWND box = program.WaitForBox(L"Application Error", 15000);
  ASSERT_NE(box, nullptr) << "no \"Application Error\" box";
  EXPECT_NE(BoxText(box).find(L"Cannot create shell notification icon"), std::wstring::npos)
      << Narrow(BoxText(box));
  EXPECT_TRUE(TopWindows(program.Proc().Id(), kMainClass).empty() ||
              !IsWindowVisible(TopWindows(program.Proc().Id(), kMainClass).front()));
  EXPECT_EQ(tray.Count(program.Proc().Id(), NIM_ADD), 1u);
  EXPECT_TRUE(program.Proc().Running()) << "the box must wait for the user";

  PressBoxOk(box);
  ASSERT_TRUE(program.Proc().WaitForExit(10000));
  EXPECT_EQ(program.Proc().ExitCode(), 1u);
  EXPECT_EQ(folder.Ini(), settings) << "the settings file was touched";
  EXPECT_EQ(tray.Count(program.Proc().Id(), NIM_MODIFY), 0u);
}

TEST(TrayFaultTest, TooltipIsAddedSwedishAndReplacedInEnglish) {
  ProgramFolder folder(L"tray-tip");
  ASSERT_TRUE(folder.Ready());
  FakeTray tray;
  ASSERT_TRUE(tray.Start(true));
  const struct {
    const wchar_t* arguments;
    std::vector<std::pair<DWORD, std::wstring>> calls;  // up to Quit
  } cases[] = {
      {L"/ENGLISH", {{NIM_ADD, kSwedishTitle}, {NIM_MODIFY, kEnglishTitle}}},
      {L"/SWEDISH", {{NIM_ADD, kSwedishTitle}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.arguments));
    ProgramRun program;
    ASSERT_TRUE(program.Start(folder, WithArguments(c.arguments)));
    std::vector<std::pair<DWORD, std::wstring>> seen;
    for (const TrayCall& call : tray.Calls(program.Proc().Id())) {
      seen.emplace_back(call.message, call.tip);
      EXPECT_EQ(call.owner, program.Tray());
      EXPECT_EQ(call.id, 1u);
      EXPECT_EQ(call.callbackMessage, kTrayCallback);
    }
    EXPECT_EQ(seen, c.calls);
    program.Command(kQuitCommand);
    EXPECT_TRUE(program.EndsCleanly());
    EXPECT_EQ(tray.Count(program.Proc().Id(), NIM_DELETE), 1u);
  }

  // With the fake gone, the icon goes to Wine's own notification area again.
  tray.Stop();
  ProgramRun program;
  ASSERT_TRUE(program.Start(folder, WithArguments(L"/english")));
  TrayIcon icon;
  EXPECT_TRUE(FindTrayIcon(kEnglishTitle, &icon));
  program.Command(kQuitCommand);
  EXPECT_TRUE(program.EndsCleanly());
}

TEST(TrayFaultTest, ShellRestartBringsTheIconBackOnceWithItsCurrentTooltip) {
  ProgramFolder folder(L"tray-restart");
  ASSERT_TRUE(folder.Ready());
  FakeTray tray;
  ASSERT_TRUE(tray.Start(true));
  ProgramRun program;
  ASSERT_TRUE(program.Start(folder, WithArguments(L"/english")));
  const DWORD id = program.Proc().Id();
  ASSERT_EQ(tray.Count(id, NIM_ADD), 1u);
  const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

  // The shell tells the program's tray window, then every top-level window.
  PostMessageW(program.Tray(), taskbarCreated, 0, 0);
  ASSERT_TRUE(tray.WaitForCount(id, NIM_ADD, 2));
  PostMessageW(HWND_BROADCAST, taskbarCreated, 0, 0);
  ASSERT_TRUE(tray.WaitForCount(id, NIM_ADD, 3));
  ASSERT_TRUE(program.Answers(2000));
  Sleep(300);  // nothing more may come

  const auto calls = tray.Calls(id);
  ASSERT_EQ(calls.size(), 4u);  // add, modify, add, add
  for (size_t i : {2u, 3u}) {
    EXPECT_EQ(calls[i].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[i].tip, kEnglishTitle);
    EXPECT_TRUE(calls[i].flags & NIF_ICON);
    EXPECT_EQ(calls[i].owner, program.Tray());
  }
  EXPECT_TRUE(program.Visible() == false);
  program.Command(kQuitCommand);
  EXPECT_TRUE(program.EndsCleanly());
}

}  // namespace
