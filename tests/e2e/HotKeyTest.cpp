// The eight hot keys, pressed while another program (target.exe) is in
// front: each pastes its slot's current text there, byte for byte.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <map>

#include "ClipboardBlocks.h"
#include "Desktop.h"
#include "OrdfalkApp.h"
#include "PasteTarget.h"

using namespace e2e;

namespace {

struct HotKey {
  int slot;
  WORD modifier;  // VK_MENU (Alt) for slots 1..4, VK_SHIFT for 5..8
  WORD key;
};
constexpr HotKey kHotKeys[] = {
    {1, VK_MENU, VK_F1},  {2, VK_MENU, VK_F2},  {3, VK_MENU, VK_F3},  {4, VK_MENU, VK_F4},
    {5, VK_SHIFT, VK_F1}, {6, VK_SHIFT, VK_F2}, {7, VK_SHIFT, VK_F3}, {8, VK_SHIFT, VK_F4},
};

void Press(const HotKey& hotKey) { PressKeys({VK_CONTROL, hotKey.modifier, hotKey.key}); }

// Presses the slot's hot key with the target in front and returns what the
// target was given to paste; fails the test when no paste arrived.
std::string PasteOf(PasteTarget& target, int slot) {
  target.Clear();
  EXPECT_TRUE(target.BringToFront()) << "the target could not be brought to the front";
  Press(kHotKeys[slot - 1]);
  if (!target.WaitForPasteCount(1)) {
    ADD_FAILURE() << "slot " << slot << ": nothing was pasted; in front: "
                  << Narrow(ClassNameOf(GetForegroundWindow()));
    return {};
  }
  return target.Pastes().front();
}

class HotKeyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SKIP_WITHOUT("hotkey-sendinput", "clipboard-second-process", "set-foreground");
    folder_ = MakeTempFolder(L"hotkey");
    ASSERT_FALSE(folder_.empty());
    ASSERT_TRUE(target_.Start(folder_)) << "target.exe did not come up";
  }
  void TearDown() override {
    if (!folder_.empty() && !HasFailure()) RemoveFolder(folder_);
  }
  std::wstring folder_;
  PasteTarget target_;
};

// Texts edited in the memos and never confirmed reach the EDIT exactly, as
// the clipboard's Unicode text; its 8-bit text holds the low byte of each
// character: line breaks as CR LF, Swedish letters as their Latin-1 bytes,
// the euro sign as 0xAC, an empty memo as an empty paste.
TEST_F(HotKeyTest, EachHotKeyPastesItsSlotsCurrentText) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  const struct {
    const wchar_t* text;
    const char* bytes;
  } slots[8] = {
      {L"one", "one"},
      {L"A\r\nB", "A\r\nB"},
      {L"\u00E5\u00E4\u00F6 \u00C5\u00C4\u00D6", "\xE5\xE4\xF6 \xC5\xC4\xD6"},
      {L"5 \u20AC \u2013 \u201Cq\u201D \u0416 \u4E2D", "5 \xAC \x13 \x1Cq\x1D \x16 \x2D"},
      {L"", ""},
      {L"Text six\r\n\r\nend", "Text six\r\n\r\nend"},
      {L"tab\tand \u00A7 \u00FF", "tab\tand \xA7 \xFF"},
      {L"\u0141\u0100x", "A"},  // U+0141 gives 0x41; U+0100 a zero byte, which ends CF_TEXT
  };
  ASSERT_TRUE(app.ShowFromTray());
  for (int slot = 1; slot <= 8; ++slot) ASSERT_TRUE(app.SetMemoText(slot, slots[slot - 1].text));
  for (int slot = 1; slot <= 8; ++slot) {
    SCOPED_TRACE("slot " + std::to_string(slot));
    const std::wstring text = slots[slot - 1].text;
    EXPECT_EQ(PasteOf(target_, slot), slots[slot - 1].bytes);
    WaitUntil([&] { return target_.UnicodeText() == text; }, 2000);
    EXPECT_EQ(Narrow(target_.UnicodeText()), Narrow(text));
    // Read back here, in a second process: the text and one zero unit.
    EXPECT_EQ(clipboard_blocks::Read(CF_UNICODETEXT),
              std::string(reinterpret_cast<const char*>(text.c_str()),
                          (text.size() + 1) * sizeof(wchar_t)));
  }
  // The end would refuse the texts beyond Latin-1.
  ASSERT_TRUE(app.SetMemoText(4, L""));
  ASSERT_TRUE(app.SetMemoText(8, L""));
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// Latin-1 letters read in the program pasted into exactly as they stand in
// the memo, whatever the system's language and code page, in a standard
// and in a rich edit control: the CF_TEXT bytes are the same everywhere,
// and the locale named beside them has code page 1252, so that the
// platform's conversion to Unicode gives the same letters.
TEST(PasteLocale, LettersReadAsTypedUnderEveryCodePage) {
  SKIP_UNLESS_WINE("a locale per process");
  const std::wstring memo = L"H\u00E5\u00E4\u00F6 \u00C5\u00C4\u00D6 \u00FF\u00E9\u00DF\u00A7";
  const std::string bytes = "H\xE5\xE4\xF6 \xC5\xC4\xD6 \xFF\xE9\xDF\xA7";
  const struct {
    const char* posixLocale;
    LCID clipboardLocale;
  } systems[] = {
      {"sv_SE.UTF-8", 0x041D},  // code page 1252: the user's own locale is named
      {"ru_RU.UTF-8", 0x0809},  // 1251; English (United Kingdom) is named
      {"pl_PL.UTF-8", 0x0809},  // 1250
      {"el_GR.UTF-8", 0x0809},  // 1253
      {"ja_JP.UTF-8", 0x0809},  // 932, two bytes to most characters
  };
  for (const auto& system : systems) {
    SCOPED_TRACE(system.posixLocale);
    OrdfalkApp app;
    ASSERT_TRUE(app.Ready());
    StartOptions options{L"/ENGLISH"};
    options.posixLocale = system.posixLocale;
    ASSERT_TRUE(app.Start(options));
    ASSERT_TRUE(app.SetMemoText(1, memo));
    for (const bool richEdit : {false, true}) {
      SCOPED_TRACE(richEdit ? "rich edit" : "edit");
      const std::wstring folder = MakeTempFolder(L"locale");
      {
        PasteTarget target;
        ASSERT_TRUE(target.Start(folder, richEdit, system.posixLocale)) << "no target came up";
        EXPECT_EQ(PasteOf(target, 1), bytes);
        WaitUntil([&] { return target.UnicodeText() == memo; }, 2000);
        EXPECT_EQ(Narrow(target.UnicodeText()), Narrow(memo));
        EXPECT_EQ(clipboard_blocks::Locale(), system.clipboardLocale);
      }  // the target ends here
      if (!HasFailure()) RemoveFolder(folder);
    }
    app.Close();
    EXPECT_TRUE(app.EndsCleanly());
  }
}

// The texts as the start loaded them, in the memos and pasted before the
// window was ever shown; a Quit then stores them as they were loaded.
TEST_F(HotKeyTest, LoadedTextsArePastedAndStoredBeforeTheWindowIsFirstShown) {
  std::string longText;
  for (int i = 0; longText.size() < 1023; ++i) longText += static_cast<char>('a' + i % 26);
  const struct {
    const char* stored;
    std::string bytes;  // what the hot key pastes, and what a Quit stores
  } slots[8] = {
      {"414243", "ABC"},
      {"410D0A42", "A\r\nB"},
      {"e5e4f6", "\xE5\xE4\xF6"},  // lower case reads too
      {"", ""},
      {"41004200", "AB"},  // U+0000 is left out of a memo, the rest kept
      {nullptr, "Text 6"},  // missing: the default
      {"414", "A\x04"},     // an odd last digit is read alone
      {nullptr, longText},
  };
  std::string ini = "[Main]\r\n";
  for (int slot = 1; slot <= 8; ++slot) {
    const char* stored = slots[slot - 1].stored;
    const std::string value = stored ? stored : slot == 8 ? Hex(longText) : "";
    if (stored || slot == 8) ini += "Text" + std::to_string(slot) + "=" + value + "\r\n";
  }
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.WriteIni(ini));
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  for (int slot = 1; slot <= 8; ++slot) {
    SCOPED_TRACE("slot " + std::to_string(slot));
    // The hidden memo holds the text, as another program reads it.
    std::wstring memo;
    for (unsigned char byte : slots[slot - 1].bytes) memo += static_cast<wchar_t>(byte);
    EXPECT_EQ(app.MemoText(slot), memo);
    EXPECT_EQ(PasteOf(target_, slot), slots[slot - 1].bytes);
  }
  EXPECT_FALSE(app.Visible());
  app.Command(kQuitCommand);
  ASSERT_TRUE(app.EndsCleanly());
  std::map<std::string, std::string> expected;
  for (int slot = 1; slot <= 8; ++slot)
    expected["Text" + std::to_string(slot)] = Hex(slots[slot - 1].bytes);
  EXPECT_EQ(app.IniMain(), expected) << app.IniBytes();
}

// The default texts, pasted while the window is hidden and while it is
// shown but not in front.
TEST_F(HotKeyTest, HotKeysWorkWhetherTheWindowIsHiddenOrShown) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  EXPECT_EQ(PasteOf(target_, 2), "Text 2");
  ASSERT_TRUE(app.ShowFromTray());
  EXPECT_EQ(PasteOf(target_, 7), "Text 7");
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// A modal box of the program (About) does not stop the hot keys.
TEST_F(HotKeyTest, HotKeysWorkWhileTheAboutBoxIsOpen) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/ENGLISH"}));
  ASSERT_TRUE(app.ShowFromTray());
  app.Command(kAboutCommand);
  HWND about = app.WaitForBox(kEnglish.aboutCaption);
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(app.SetMemoText(3, L"while boxed"));
  EXPECT_EQ(PasteOf(target_, 3), "while boxed");
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(about); }));
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// Takes every right away from the running copy's mutex, as a normal start
// finds the mutex of a copy started as administrator.
bool DenyTheRunningMutex() {
  const HANDLE mutex = OpenMutexW(WRITE_DAC, FALSE, kRunningMutex);
  PSECURITY_DESCRIPTOR none = nullptr;  // an empty list of rights
  const bool denied =
      mutex && ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:", SDDL_REVISION_1, &none,
                                                                    nullptr) &&
      SetKernelObjectSecurity(mutex, DACL_SECURITY_INFORMATION, none);
  if (none) LocalFree(none);
  if (mutex) CloseHandle(mutex);
  return denied;
}

// One copy at a time. A second start, from whichever folder, shows the
// running copy's window, minimized too, and ends with 0 at once, touching no settings file;
// the hot keys stay with the running copy. Once that has ended, a new start
// gets them. A copy left running by an earlier test run is ended by the
// harness before a start.
TEST_F(HotKeyTest, ASecondStartShowsTheRunningCopyAndEnds) {
  OrdfalkApp first;
  ProgramFolder other(L"second-start");
  ASSERT_TRUE(first.Ready() && other.Ready());
  Process leftover = Start(other.ExePath(), {L"/SWEDISH"});
  ASSERT_NE(WaitForTopWindow(leftover.Id(), kMainClass, nullptr, 30000), nullptr);
  const std::string firstIni = "[Main]\r\nText1=4669727374\r\nText5=4669727374\r\n";  // First
  ASSERT_TRUE(first.WriteIni(firstIni));
  ASSERT_TRUE(first.Start({L"/SWEDISH"}));
  EXPECT_FALSE(leftover.Running()) << "the harness left an earlier copy running";

  const struct {
    const char* name;
    std::wstring exe;
    bool mutexDenied;  // as a copy run as administrator holds it
    int hide;          // how the running copy's window waits
  } starts[] = {
      {"from another folder", other.ExePath(), false, SW_HIDE},
      {"from the running copy's folder", first.ExePath(), false, SW_MINIMIZE},
      {"refused the mutex", other.ExePath(), true, SW_HIDE},
  };
  for (const auto& start : starts) {
    SCOPED_TRACE(start.name);
    if (start.mutexDenied) {
      ASSERT_TRUE(DenyTheRunningMutex());
    }
    ShowWindow(first.Main(), start.hide);
    ASSERT_TRUE(WaitUntil([&] { return !first.Visible() || IsIconic(first.Main()); }));
    AllowForeground();  // as the user's start of a program has it
    const ULONGLONG started = GetTickCount64();
    Process second = Start(start.exe, {L"/SWEDISH"});
    ASSERT_TRUE(second.WaitForExit(10000)) << "the second start goes on running";
    EXPECT_LT(GetTickCount64() - started, 4000u) << "the second start lingered";
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(first.WaitVisible(true) && !IsIconic(first.Main())) << "the window did not show";
    EXPECT_FALSE(FileExists(other.IniPath())) << "the second start wrote a settings file";
    EXPECT_EQ(first.IniBytes(), firstIni);
    EXPECT_EQ(PasteOf(target_, 1), "First");
  }
  EXPECT_EQ(PasteOf(target_, 5), "First");
  first.Command(kQuitCommand);
  EXPECT_TRUE(first.EndsCleanly());

  OrdfalkApp third;
  ASSERT_TRUE(third.Ready());
  ASSERT_TRUE(third.WriteIni("[Main]\r\nText1=5468697264\r\nText5=5468697264\r\n"));  // Third
  ASSERT_TRUE(third.Start({L"/SWEDISH"}));
  EXPECT_EQ(PasteOf(target_, 1), "Third") << "the hot key was not released at the first copy's end";
  EXPECT_EQ(PasteOf(target_, 5), "Third");
  third.Close();
  EXPECT_TRUE(third.EndsCleanly());
}

// Ending by closing the window releases the hot keys too.
TEST_F(HotKeyTest, ClosingReleasesTheHotKeys) {
  {
    OrdfalkApp app;
    ASSERT_TRUE(app.Ready());
    ASSERT_TRUE(app.Start({L"/SWEDISH"}));
    ASSERT_TRUE(app.ShowFromTray());
    app.Close();
    ASSERT_TRUE(app.EndsCleanly());
  }
  OrdfalkApp next;
  ASSERT_TRUE(next.Ready());
  ASSERT_TRUE(next.Start({L"/SWEDISH"}));
  for (const HotKey& hotKey : kHotKeys) {
    SCOPED_TRACE("slot " + std::to_string(hotKey.slot));
    EXPECT_EQ(PasteOf(target_, hotKey.slot), "Text " + std::to_string(hotKey.slot));
  }
  next.Close();
  EXPECT_TRUE(next.EndsCleanly());
}

}  // namespace
