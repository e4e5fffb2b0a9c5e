// The main window under the keyboard: select all, the menu shortcuts, Enter
// and Tab; and the window's state when the tray icon is double-clicked
// while it is minimized or a box is open.
#include <gtest/gtest.h>

#include "Desktop.h"
#include "OrdfalkApp.h"
#include "PasteTarget.h"

using namespace e2e;

namespace {

// Start and end of a memo's selection.
std::pair<int, int> SelectionOf(HWND memo) {
  DWORD_PTR packed = 0;
  SendMessageTimeoutW(memo, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &packed);
  return {LOWORD(packed), HIWORD(packed)};
}

void Select(HWND memo, int start, int end) {
  SendMessageTimeoutW(memo, EM_SETSEL, start, end, SMTO_ABORTIFHUNG, 2000, nullptr);
}

// Shows the window, in front, with the focus in memo 1.
void ShowInFront(const OrdfalkApp& app) {
  ASSERT_TRUE(app.ShowFromTray());
  ASSERT_TRUE(BringToFront(app.Main()));
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(app.Main()) == app.Memo(1); }));
}

class Keyboard : public ::testing::Test {
  void SetUp() override { SKIP_WITHOUT("set-foreground"); }
};

TEST_F(Keyboard, OnlyCtrlASelectsAllOfTheMemo) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  ShowInFront(app);
  const std::wstring text = L"first line\r\nsecond";
  ASSERT_TRUE(app.SetMemoText(1, text));
  const int length = static_cast<int>(text.size());
  const struct {
    const char* keys;
    std::vector<WORD> press;
    bool selectsAll;
  } cases[] = {
      {"Ctrl+A", {VK_CONTROL, 'A'}, true},
      {"Ctrl+Shift+A", {VK_CONTROL, VK_SHIFT, 'A'}, false},
      {"Ctrl+Alt+A", {VK_CONTROL, VK_MENU, 'A'}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    Select(app.Memo(1), 3, 3);
    PressKeys(c.press);
    if (c.selectsAll) {
      EXPECT_TRUE(WaitUntil([&] { return SelectionOf(app.Memo(1)) == std::make_pair(0, length); }));
    } else {
      EXPECT_FALSE(WaitUntil([&] { return SelectionOf(app.Memo(1)) == std::make_pair(0, length); },
                             400));
    }
    EXPECT_EQ(app.MemoText(1), text) << "the keys changed the text";
    EXPECT_EQ(app.MemoText(2), L"Text 2") << "the keys reached another memo";
  }
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// Enter in a memo is a line break and leaves the window open; Enter on its
// own or Space on OK clicks it, Enter with Shift, Ctrl or Alt does not. (OK
// clicked once keeps the focus when the window is shown again.)
TEST_F(Keyboard, EnterBreaksTheLineInAMemoAndOnlyPlainEnterOrSpaceOnOkClicksIt) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  ShowInFront(app);
  ASSERT_TRUE(app.SetMemoText(1, L"ab"));
  Select(app.Memo(1), 1, 1);
  PressKeys({VK_RETURN});
  EXPECT_TRUE(WaitUntil([&] { return app.MemoText(1) == L"a\r\nb"; })) << Narrow(app.MemoText(1));
  EXPECT_TRUE(app.Visible());

  app.ClickOk();
  ASSERT_TRUE(app.WaitVisible(false));
  EXPECT_EQ(app.IniMain()["Text1"], "610D0A62");
  const struct {
    const char* keys;
    std::vector<WORD> press;
    bool clicks;
  } cases[] = {
      {"Shift+Enter", {VK_SHIFT, VK_RETURN}, false},
      {"Ctrl+Enter", {VK_CONTROL, VK_RETURN}, false},
      {"Alt+Enter", {VK_MENU, VK_RETURN}, false},
      {"Enter", {VK_RETURN}, true},
      {"Space", {VK_SPACE}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    ASSERT_TRUE(app.ShowFromTray());
    ASSERT_TRUE(BringToFront(app.Main()));
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(app.Main()) == app.OkButton(); }));
    const std::string text = std::string("by ") + c.keys;
    ASSERT_TRUE(app.SetMemoText(2, std::wstring(text.begin(), text.end())));
    PressKeys(c.press);
    if (c.clicks) {
      EXPECT_TRUE(app.WaitVisible(false)) << "the key on OK did not click it";
      EXPECT_EQ(app.IniMain()["Text2"], Hex(text));
    } else {
      EXPECT_FALSE(app.WaitVisible(false, 400)) << "the key on OK clicked it";
      EXPECT_NE(app.IniMain()["Text2"], Hex(text));
    }
  }
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// Tab and Shift+Tab move through the memos and OK, wrapping around.
TEST_F(Keyboard, TabMovesThroughTheMemosAndOkBothWays) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  ShowInFront(app);
  const struct {
    const char* keys;
    std::vector<WORD> press;
    HWND expected;
  } steps[] = {
      {"Shift+Tab from memo 1", {VK_SHIFT, VK_TAB}, app.OkButton()},
      {"Tab from OK", {VK_TAB}, app.Memo(1)},
      {"Tab from memo 1", {VK_TAB}, app.Memo(2)},
      {"Shift+Tab from memo 2", {VK_SHIFT, VK_TAB}, app.Memo(1)},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.keys);
    PressKeys(step.press);
    EXPECT_TRUE(WaitUntil([&] { return FocusOf(app.Main()) == step.expected; }, 1500))
        << "focus in control " << GetDlgCtrlID(FocusOf(app.Main()));
  }
  EXPECT_EQ(app.MemoText(1), L"Text 1") << "a tab went into the text";
  EXPECT_EQ(app.MemoText(2), L"Text 2") << "a tab went into the text";
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// Escape in a memo is no way out: only Quit and closing end the program.
TEST_F(Keyboard, EscapeInAMemoKeepsTheProgramRunning) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  ShowInFront(app);
  PressKeys({VK_ESCAPE});
  EXPECT_FALSE(WaitUntil([&] { return !app.Visible() || !app.Proc().Running(); }, 800))
      << "Escape in a memo closed the window"
      << (app.Proc().WaitForExit(5000) ? " and ended the program" : "");
  if (app.Proc().Running()) app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// Ctrl+Q and F1 act only while the main window is the active window.
TEST_F(Keyboard, CtrlQAndF1WorkOnlyInTheActiveWindow) {
  const std::wstring folder = MakeTempFolder(L"keys");
  PasteTarget target;
  ASSERT_TRUE(target.Start(folder));
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/ENGLISH"}));

  ASSERT_TRUE(target.BringToFront());
  PressKeys({VK_F1});
  PressKeys({VK_CONTROL, 'Q'});
  EXPECT_FALSE(app.Proc().WaitForExit(400)) << "Ctrl+Q in another program ended Ordfalk";
  EXPECT_EQ(app.WaitForBox(kEnglish.aboutCaption, 200), nullptr) << "F1 in another program";

  ShowInFront(app);
  PressKeys({VK_F1});
  HWND about = app.WaitForBox(kEnglish.aboutCaption);
  ASSERT_NE(about, nullptr) << "F1 did not show the About box";
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));

  ASSERT_TRUE(BringToFront(app.Main()));
  ASSERT_TRUE(app.SetMemoText(4, L"by Ctrl+Q"));
  PressKeys({VK_CONTROL, 'Q'});
  EXPECT_TRUE(app.EndsCleanly()) << "Ctrl+Q did not end the program";
  EXPECT_EQ(app.IniMain()["Text4"], Hex("by Ctrl+Q"));
  if (!::testing::Test::HasFailure()) RemoveFolder(folder);
}

// A tray double-click does not restore a minimized window, and brings an
// open box of the program to the front.
TEST_F(Keyboard, TrayDoubleClickLeavesMinimizedAndRaisesAnOpenBox) {
  const std::wstring folder = MakeTempFolder(L"raise");
  PasteTarget target;
  ASSERT_TRUE(target.Start(folder));
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  ASSERT_TRUE(app.ShowFromTray());

  ShowWindow(app.Main(), SW_MINIMIZE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(app.Main()) != FALSE; }));
  app.SendTrayMouse(WM_LBUTTONDBLCLK);
  SendMessageTimeoutW(app.Tray(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
  EXPECT_FALSE(WaitUntil([&] { return IsIconic(app.Main()) == FALSE; }, 400))
      << "the double-click restored the minimized window";
  ShowWindow(app.Main(), SW_RESTORE);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(app.Main()) == FALSE; }));

  app.Command(kAboutCommand);
  HWND about = app.WaitForBox(kSwedish.aboutCaption);
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(target.BringToFront());
  app.SendTrayMouse(WM_RBUTTONDBLCLK);
  // The program raises its window (which activates it) and then asks for
  // the box. Under Wine without a window manager the activation of the
  // disabled main window reaches the X server last and wins; the box is
  // then in front of the other program all the same, above its owner.
  if (RunningUnderWine()) {
    EXPECT_TRUE(WaitUntil([&] {
      const HWND front = GetForegroundWindow();
      return front == about || front == app.Main();
    })) << "in front: " << Narrow(ClassNameOf(GetForegroundWindow()));
  } else {
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == about; }))
        << "in front: " << Narrow(ClassNameOf(GetForegroundWindow()));
  }
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
  if (!::testing::Test::HasFailure()) RemoveFolder(folder);
}

}  // namespace
