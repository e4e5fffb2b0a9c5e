// The eight texts between runs: the settings file Ordfalk.INI beside the
// program, as OK, Quit, closing and the end of the log-on leave it, and as
// the next start reads it.
#include <gtest/gtest.h>

#include <map>

#include "Desktop.h"
#include "OrdfalkApp.h"

using namespace e2e;

namespace {

using Values = std::map<std::string, std::string>;

Values DefaultValues() {
  Values values;
  for (int slot = 1; slot <= 8; ++slot)
    values["Text" + std::to_string(slot)] = Hex("Text " + std::to_string(slot));
  return values;
}

TEST(Settings, FirstStartShowsDefaultsAndQuitCreatesTheFile) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  for (int slot = 1; slot <= 8; ++slot)
    EXPECT_EQ(app.MemoText(slot), L"Text " + std::to_wstring(slot)) << "slot " << slot;
  EXPECT_FALSE(FileExists(app.IniPath())) << "start-up wrote the settings file";
  // A text stored, then typed back to the default it was loaded with while
  // another program holds the file alone: not stored, and told.
  ASSERT_TRUE(app.ShowFromTray());
  ASSERT_TRUE(app.SetMemoText(7, L"abc"));
  app.ClickOk();
  ASSERT_TRUE(app.WaitVisible(false));
  ASSERT_TRUE(app.ShowFromTray());
  ASSERT_TRUE(app.SetMemoText(7, L"Text 7"));
  file_bytes::HeldFile held(app.IniPath(), 0);
  app.ClickOk();
  const HWND box = app.WaitForBox(kSwedish.errorCaption);
  ASSERT_NE(box, nullptr) << "a text the file did not take passed OK";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  held.Release();
  app.Command(kQuitCommand);
  ASSERT_TRUE(app.EndsCleanly());
  EXPECT_EQ(app.IniMain(), DefaultValues()) << app.IniBytes();
}

// OK checks, stores every slot as upper-case hex of its bytes, and hides.
TEST(Settings, OkStoresEveryTextAsHexAndHides) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  struct {
    const wchar_t* text;
    const char* value;
  } slots[8] = {
      {L"ABC", "414243"},
      {L"A\r\nB", "410D0A42"},
      {L"\u00E5\u00E4\u00F6", "E5E4F6"},
      {L"", ""},
      {L"jk", "6A6B"},
      {L"\u00FF\u00AC", "FFAC"},
      {L" ", "20"},
      {L"Text 8", "546578742038"},
  };
  ASSERT_TRUE(app.ShowFromTray());
  for (int slot = 1; slot <= 8; ++slot) ASSERT_TRUE(app.SetMemoText(slot, slots[slot - 1].text));
  app.ClickOk();
  ASSERT_TRUE(app.WaitVisible(false)) << "OK did not hide the window";
  Values expected;
  for (int slot = 1; slot <= 8; ++slot) expected["Text" + std::to_string(slot)] = slots[slot - 1].value;
  EXPECT_EQ(app.IniMain(), expected) << app.IniBytes();
  EXPECT_TRUE(app.Proc().Running()) << "OK ended the program";

  // Slot 3 rewritten in the file by someone else while the window is open,
  // slot 5 typed here: both stay, after OK and after Quit.
  ASSERT_TRUE(app.ShowFromTray());
  ASSERT_TRUE(WritePrivateProfileStringW(L"Main", L"Text3", L"4F", app.IniPath().c_str()));
  ASSERT_TRUE(app.SetMemoText(5, L"typed"));
  app.ClickOk();
  ASSERT_TRUE(app.WaitVisible(false));
  expected["Text3"] = "4F";
  expected["Text5"] = Hex("typed");
  EXPECT_EQ(app.IniMain(), expected) << app.IniBytes();

  // The next run shows the same texts; an emptied slot stays empty.
  app.Command(kQuitCommand);
  ASSERT_TRUE(app.EndsCleanly());
  EXPECT_EQ(app.IniMain(), expected) << app.IniBytes();
  slots[2].text = L"O";
  slots[4].text = L"typed";
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  for (int slot = 1; slot <= 8; ++slot)
    EXPECT_EQ(app.MemoText(slot), slots[slot - 1].text) << "slot " << slot;
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// A character above U+00FF: OK shows the error box in the current
// language, stores nothing and keeps the window.
TEST(Settings, OkWithANonAnsiCharacterShowsTheErrorAndStoresNothing) {
  for (const LanguageTexts* language : {&kSwedish, &kEnglish}) {
    SCOPED_TRACE(language->name);
    OrdfalkApp app;
    ASSERT_TRUE(app.Ready());
    const std::string before = "[Main]\r\nText1=414243\r\n";
    ASSERT_TRUE(app.WriteIni(before));
    ASSERT_TRUE(app.Start({language->swedish ? L"/SWEDISH" : L"/ENGLISH"}));
    ASSERT_TRUE(app.ShowFromTray());
    ASSERT_TRUE(app.SetMemoText(2, L"changed"));
    ASSERT_TRUE(app.SetMemoText(6, L"5 \u20AC"));

    app.ClickOk();
    HWND box = app.WaitForBox(language->errorCaption);
    ASSERT_NE(box, nullptr) << "no error box captioned " << Narrow(language->errorCaption);
    EXPECT_EQ(StaticTexts(box), language->ansiError);
    EXPECT_EQ(GetWindow(box, GW_OWNER), app.Main());
    EXPECT_EQ(app.IniBytes(), before) << "the settings file changed";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));

    EXPECT_TRUE(app.Visible()) << "the window was hidden";
    EXPECT_EQ(app.MemoText(6), L"5 \u20AC");
    EXPECT_EQ(app.IniBytes(), before) << "the settings file changed";
    ASSERT_TRUE(app.SetMemoText(6, L"5 E"));
    app.Close();
    EXPECT_TRUE(app.EndsCleanly());
  }
}

// Every orderly end stores the texts as they stand. A character above
// U+00FF stops it first, whether the window was shown, hidden or
// minimized: the window comes to the front with the box of OK, stays, and
// nothing is stored; the end goes on once the text is mended.
TEST(Settings, EndingStoresTheUnconfirmedTextsAndRefusesOnesBeyondLatin1) {
  const struct {
    const char* how;
    void (*end)(const OrdfalkApp&);
    int show;  // the window's state when the end is asked for
  } ends[] = {
      {"Quit, shown", [](const OrdfalkApp& app) { app.Command(kQuitCommand); }, SW_SHOW},
      {"WM_CLOSE, shown", [](const OrdfalkApp& app) { app.Close(); }, SW_SHOW},
      {"Quit, hidden", [](const OrdfalkApp& app) { app.Command(kQuitCommand); }, SW_HIDE},
      {"WM_CLOSE, minimized", [](const OrdfalkApp& app) { app.Close(); }, SW_MINIMIZE},
  };
  for (const auto& end : ends) {
    SCOPED_TRACE(end.how);
    OrdfalkApp app;
    ASSERT_TRUE(app.Ready());
    ASSERT_TRUE(app.Start({L"/SWEDISH"}));
    if (end.show != SW_HIDE) {
      ASSERT_TRUE(app.ShowFromTray());
    }
    if (end.show == SW_MINIMIZE) ShowWindow(app.Main(), SW_MINIMIZE);
    ASSERT_TRUE(app.SetMemoText(1, L"x\r\ny"));
    ASSERT_TRUE(app.SetMemoText(6, L"5 \u20AC"));
    end.end(app);
    const HWND box = app.WaitForBox(kSwedish.errorCaption);
    ASSERT_NE(box, nullptr) << "the end did not refuse";
    EXPECT_EQ(StaticTexts(box), kSwedish.ansiError);
    EXPECT_TRUE(app.Visible() && !IsIconic(app.Main())) << "the window is not in view";
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
    EXPECT_TRUE(app.Answers(2000) && app.Visible()) << "the program went on ending";
    EXPECT_FALSE(FileExists(app.IniPath())) << app.IniBytes();

    ASSERT_TRUE(app.SetMemoText(6, L"5 E"));
    end.end(app);
    ASSERT_TRUE(app.EndsCleanly()) << "exit code " << app.Proc().ExitCode();
    Values expected = DefaultValues();
    expected["Text1"] = "780D0A79";
    expected["Text6"] = "352045";
    EXPECT_EQ(app.IniMain(), expected) << app.IniBytes();
  }
}

// The values as the next start reads them, hand-edited ones included.
TEST(Settings, StoredValuesAreLoadedAsTheyStand) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.WriteIni(
      "[Other]\r\nText3=414141\r\n"
      "[Main]\r\nText1=6a6b\r\nText2=414\r\nText4=\r\nText5=4G42\r\n"
      "Text6=E5E4F6\r\nText7=410D0A42\r\nText8=41004200\r\n"));
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  const wchar_t* expected[8] = {
      L"jk",          // lower case reads too
      L"A\u0004",     // an odd last digit is read alone
      L"Text 3",      // missing from [Main]: the default
      L"",            // present but empty: empty, not the default
      L"B",           // a pair that is not hex gives U+0000, which a memo
      L"\u00E5\u00E4\u00F6",  // cannot hold: it is left out, the rest kept
      L"A\r\nB",
      L"AB",          // the same for a stored 00
  };
  for (int slot = 1; slot <= 8; ++slot)
    EXPECT_EQ(app.MemoText(slot), expected[slot - 1]) << "slot " << slot;
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
  // Sections the program does not know are left alone.
  EXPECT_NE(app.IniBytes().find("[Other]\r\nText3=414141"), std::string::npos) << app.IniBytes();
}

// The longest text that survives a restart unchanged: 1023 units.
TEST(Settings, TextOf1023UnitsSurvivesARestart) {
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  std::wstring text;
  for (int i = 0; text.size() < 1021; ++i) text += static_cast<wchar_t>(L'a' + i % 26);
  text += L"\r\n";
  ASSERT_EQ(text.size(), 1023u);
  ASSERT_TRUE(app.SetMemoText(4, text));
  app.Close();
  ASSERT_TRUE(app.EndsCleanly());
  EXPECT_EQ(app.IniMain()["Text4"].size(), 2046u);
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  EXPECT_EQ(app.MemoText(4), text);
  app.Close();
  EXPECT_TRUE(app.EndsCleanly());
}

// The end of the log-on (Wine's wineboot --end-session) stores the texts
// edited since the last OK, and the program ends without refusing.
TEST(Settings, EndOfLogOnStoresTheEditedTexts) {
  if (!RunningUnderWine()) GTEST_SKIP() << "the log-off is Wine's wineboot --end-session";
  OrdfalkApp app;
  ASSERT_TRUE(app.Ready());
  ASSERT_TRUE(app.Start({L"/SWEDISH"}));
  ASSERT_TRUE(app.SetMemoText(2, L"unconfirmed"));

  const UnixResult run = RunUnix("\"${WINE:-/usr/lib/wine/wine64}\" wineboot --end-session", 20000);
  ASSERT_TRUE(run.finished) << run.output;
  ASSERT_TRUE(app.Proc().WaitForExit(10000)) << "the program outlived the end of the log-on";
  EXPECT_EQ(app.Proc().ExitCode(), 0u);
  Values expected = DefaultValues();
  expected["Text2"] = Hex("unconfirmed");
  EXPECT_EQ(app.IniMain(), expected) << app.IniBytes();
}

}  // namespace
