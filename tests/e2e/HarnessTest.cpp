// The harness checked on its own, against tray_probe.exe: if one of these
// fails, the failures of the program's end-to-end tests say nothing about
// the program.
#include <gtest/gtest.h>

#include <string>

#include "Desktop.h"
#include "OrdfalkApp.h"
#include "PasteTarget.h"

using namespace e2e;

namespace {

class HarnessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder(L"harness");
    ASSERT_FALSE(folder_.empty());
    report_ = JoinPath(folder_, L"probe-report.txt");
  }
  void TearDown() override {
    probe_.Kill();
    if (!HasFailure()) RemoveFolder(folder_);
  }

  // Starts a copy of tray_probe.exe from the tray folder (its icon is
  // clicked; a copy of its own can be found by its image path) and waits
  // for its "ready" line.
  void StartProbe(const std::wstring& tip, const std::wstring& hex, const std::string& locale = {}) {
    const std::wstring exe = JoinPath(TrayFolder(), L"tray_probe.exe");
    CreateDirectoryW(TrayFolder().c_str(), nullptr);
    FindProcessByImage(exe, 0).Kill();  // one left by a run that was killed
    ASSERT_TRUE(CopyFileTo(JoinPath(ExeDir(), L"tray_probe.exe"), exe));
    StartOptions options;
    options.arguments = L"\"" + report_ + L"\" \"" + tip + L"\" " + hex;
    options.posixLocale = locale;
    probe_ = Start(exe, options);
    ASSERT_TRUE(probe_) << "tray_probe.exe did not start";
    ASSERT_TRUE(WaitUntil([&] { return ReadBytes(report_).find("ready") != std::string::npos; }))
        << "tray_probe.exe did not report ready";
  }
  std::string Report() const { return ReadBytes(report_); }

  std::wstring folder_;
  std::wstring report_;
  Process probe_;
};

TEST_F(HarnessTest, UnixCommandsRunWithTheirOutputAndExitCode) {
  SKIP_UNLESS_WINE("Unix helpers");
  const UnixResult run = RunUnix("echo \"display $DISPLAY\"; exit 3");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.output.rfind("display :", 0), 0u) << run.output;
}

TEST_F(HarnessTest, LocaleIsChosenPerStartedProcess) {
  SKIP_UNLESS_WINE("a locale per process");
  const struct {
    const char* posix;
    const char* ready;
  } cases[] = {
      {"sv_SE.UTF-8", "ready 1053"},
      {"en_US.UTF-8", "ready 1033"},
      {"sv_FI.UTF-8", "ready 2077"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.posix);
    DeleteFileW(report_.c_str());
    StartProbe(L"Probe", L"41", c.posix);
    EXPECT_EQ(Report().substr(0, 10), c.ready);
    PostMessageW(WaitForTopWindow(probe_.Id(), L"OrdfalkE2ETrayProbe"), WM_CLOSE, 0, 0);
    EXPECT_TRUE(probe_.WaitForExit());
    EXPECT_EQ(probe_.ExitCode(), 0u);
  }
}

TEST_F(HarnessTest, HotKeyPasteReachesTheTargetByteForByte) {
  SKIP_WITHOUT("hotkey-sendinput", "clipboard-second-process", "set-foreground");
  // CR LF, Swedish letters, the euro sign of code page 1252 and its low byte.
  const std::string bytes = "A\r\nB\xE5\xE4\xF6\x80\xAC ";
  StartProbe(L"Probe", L"410D0A42E5E4F680AC20");
  PasteTarget target;
  ASSERT_TRUE(target.Start(folder_));
  ASSERT_TRUE(target.BringToFront()) << "SetForegroundWindow did not make the target foreground";

  PressKeys({VK_CONTROL, VK_MENU, VK_F9});
  ASSERT_TRUE(target.WaitForPasteCount(1)) << Report();
  EXPECT_EQ(target.Pastes().front(), bytes);
  EXPECT_EQ(target.WaitForText(bytes), bytes);

  target.Clear();
  EXPECT_EQ(target.Text(), "");
  EXPECT_TRUE(target.Pastes().empty());
}

TEST_F(HarnessTest, TrayIconIsFoundAndReallyDoubleClicked) {
  SKIP_WITHOUT("tray-icon");
  StartProbe(L"Harness probe icon", L"41");
  POINT centre{};
  const HWND owner = WaitForTopWindow(probe_.Id(), L"OrdfalkE2ETrayProbe");
  ASSERT_TRUE(TrayIconCentre(owner, 1, L"Harness probe icon", &centre)) << "no icon with this tip";
  const struct {
    int button;
    const char* doubleClick;
  } cases[] = {{1, "tray 0203"}, {3, "tray 0206"}, {2, "tray 0209"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.button);
    ASSERT_TRUE(ClickAt(centre, c.button));
    EXPECT_TRUE(WaitUntil([&] { return Report().find(c.doubleClick) != std::string::npos; }))
        << Report() << " at " << centre.x << "," << centre.y;
  }
}

TEST_F(HarnessTest, MenuOfAnotherProcessIsReadable) {
  StartProbe(L"Probe", L"41");
  HWND window = WaitForTopWindow(probe_.Id(), L"OrdfalkE2ETrayProbe");
  ASSERT_NE(window, nullptr);
  const auto items = MenuItemsOf(window);
  EXPECT_EQ(MenuText(items, {0}), L"&File");
  EXPECT_EQ(MenuText(items, {0, 0}), L"&Quit\tCtrl+Q");
  EXPECT_EQ(MenuId(items, {0, 0}), 301);
  EXPECT_EQ(items.size(), 2u);
}

TEST_F(HarnessTest, ScreenshotIsSaved) {
  const std::wstring path = SaveScreenshot(L"harness");
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(ReadBytes(path).substr(0, 2), "BM");
}

}  // namespace
