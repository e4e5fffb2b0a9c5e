// Hostile input: settings files, texts and command lines a user or another
// program may hand the program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProgramRun.h"

using namespace e2e;
using namespace e2e::run;

namespace {

std::vector<std::wstring> Defaults() {
  std::vector<std::wstring> texts;
  for (int slot = 1; slot <= 8; ++slot) texts.push_back(L"Text " + std::to_wstring(slot));
  return texts;
}

// Defaults with some slots replaced.
std::vector<std::wstring> With(std::vector<std::pair<int, std::wstring>> slots) {
  auto texts = Defaults();
  for (const auto& [slot, text] : slots) texts[slot - 1] = text;
  return texts;
}

std::string Garbage(size_t size) {
  std::string bytes(size, '\0');
  uint32_t state = 12345;
  for (char& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(state >> 16);
  }
  bytes[0] = 'G';  // not a byte-order mark
  return bytes;
}

std::string BigFile() {
  std::string ini = "[Main]\r\nText1=414243\r\n[Junk]\r\n";
  const std::string filler(80, 'j');
  for (int line = 0; ini.size() < 50u * 1024 * 1024; ++line)
    ini += "Line" + std::to_string(line) + "=" + filler + "\r\n";
  return ini + "Last=end\r\n";
}

struct Kept {
  const char* section;
  const char* key;
  std::string value;
};

// Starts the program on the folder and quits before the window was ever
// shown, checks what the file holds, and starts it again: the memos show the
// same texts.
void CheckSettingsRoundTrip(const ProgramFolder& folder, const std::vector<std::wstring>& expected,
                            const std::vector<Kept>& kept, bool restart) {
  {
    ProgramRun program;
    ASSERT_TRUE(program.Start(folder));
    program.Command(kQuitCommand);
    // Each of the eight writes rewrites the whole file: slow for 50 MB.
    ASSERT_TRUE(program.EndsCleanly(120000));
  }
  const auto sections = ParseIni(folder.IniBytes());
  for (int slot = 1; slot <= 8; ++slot) {
    std::string value;
    EXPECT_TRUE(IniValue(sections, "Main", "Text" + std::to_string(slot), &value)) << slot;
    EXPECT_EQ(value, StoredForm(expected[slot - 1])) << slot;
  }
  for (const Kept& k : kept) {
    std::string value;
    EXPECT_TRUE(IniValue(sections, k.section, k.key, &value) && value == k.value)
        << "[" << k.section << "] " << k.key << " was not kept";
  }
  if (!restart) return;
  // An edit stored with OK survives a restart: the key written is the key read.
  ProgramRun again;
  ASSERT_TRUE(again.Start(folder));
  ASSERT_TRUE(again.ShowFromTray());
  EXPECT_EQ(again.MemoTexts(), expected);
  ASSERT_TRUE(again.SetMemoText(1, L"edited 1"));
  ASSERT_TRUE(again.SetMemoText(2, L"edited 2"));
  again.ClickOk();
  ASSERT_TRUE(again.WaitVisible(false));
  again.Command(kQuitCommand);
  ASSERT_TRUE(again.EndsCleanly());
  ProgramRun last;
  ASSERT_TRUE(last.Start(folder));
  EXPECT_EQ(last.MemoText(1), L"edited 1");
  EXPECT_EQ(last.MemoText(2), L"edited 2");
  EXPECT_EQ(last.MemoText(3), expected[2]);
  last.Command(kQuitCommand);
  EXPECT_TRUE(last.EndsCleanly());
}

TEST(BadInputTest, HostileSettingsFilesLoadSensiblyAndKeepOtherContent) {
  const std::string longValue(1024 * 1024, 'v');
  const struct {
    const char* name;
    bool exists;
    std::string content;
    std::vector<std::wstring> expected;
    std::vector<Kept> kept;
  } cases[] = {
      {"missing", false, "", Defaults(), {}},
      {"empty", true, "", Defaults(), {}},
      {"binary garbage", true, Garbage(8192), Defaults(), {}},
      {"50 MB", true, BigFile(), With({{1, L"ABC"}}),
       {{"Junk", "Line0", std::string(80, 'j')}, {"Junk", "Last", "end"}}},
      {"non-hex and odd length", true,
       "[Main]\r\nText1=4G4142\r\nText2=414\r\nText3=ZZ\r\nText4=41 42\r\n",
       With({{1, L"AB"}, {2, L"A\x04"}, {3, L""}, {4, L"A\x02"}}), {}},
      {"lower-case hex", true, "[Main]\r\nText1=6a6b\r\nText2=e5e4f6\r\n",
       With({{1, L"jk"}, {2, L"\u00E5\u00E4\u00F6"}}), {}},
      {"U+0000 inside", true, "[Main]\r\nText1=410042\r\nText2=00\r\nText3=000041\r\n",
       With({{1, L"AB"}, {2, L""}, {3, L"A"}}), {}},
      {"duplicate keys", true, "[Main]\r\nText1=41\r\nText1=42\r\nText2=43\r\n",
       With({{1, L"A"}, {2, L"C"}}), {}},
      {"keys in other case", true, "[MAIN]\r\nTEXT1=41\r\ntext2=42\r\n",
       With({{1, L"A"}, {2, L"B"}}), {}},
      {"LF line ends", true, "[Main]\nText1=41\nText2=42\n[Other]\nKeep=1\n",
       With({{1, L"A"}, {2, L"B"}}), {{"Other", "Keep", "1"}}},
      {"CR line ends", true, "[Main]\rText1=41\rText2=42\r[Other]\rKeep=1\r",
       With({{1, L"A"}, {2, L"B"}}), {{"Other", "Keep", "1"}}},
      {"very long line", true, "[Other]\r\nLong=" + longValue + "\r\n[Main]\r\nText1=41\r\n",
       With({{1, L"A"}}), {{"Other", "Long", longValue}}},
      {"section Main twice", true,
       "[Main]\r\nText1=41\r\n[Other]\r\nKeep=1\r\n[Main]\r\nText2=42\r\n",
       With({{1, L"A"}}), {{"Other", "Keep", "1"}}},
      {"unknown sections and keys", true,
       "[Before]\r\nA=1\r\n[Main]\r\nText1=41\r\nUnknown=zzz\r\n[After]\r\nB=2\r\n",
       With({{1, L"A"}}), {{"Before", "A", "1"}, {"Main", "Unknown", "zzz"}, {"After", "B", "2"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder(L"bad-settings");
    ASSERT_TRUE(folder.Ready());
    if (c.exists) {
      ASSERT_TRUE(folder.WriteIni(c.content));
    }
    CheckSettingsRoundTrip(folder, c.expected, c.kept, c.content.size() < 10'000'000);
  }
}

// --- Texts ---------------------------------------------------------------------------

std::wstring Lines(size_t units) {
  std::wstring text;
  for (size_t i = 0; text.size() < units; ++i) {
    text += static_cast<wchar_t>(L'a' + i % 26);
    if (i % 60 == 59) text += L"\r\n";
  }
  text.resize(units);
  if (!text.empty() && text.back() == L'\r') text.back() = L'.';
  return text;
}

TEST(BadInputTest, EveryTextThatPassesOkSurvivesARestartExactly) {
  std::wstring allBytes;  // every unit a byte can be, U+0000 aside
  for (wchar_t unit = 1; unit <= 0xFF; ++unit) allBytes += unit;
  const std::vector<std::wstring> texts = {
      L"", L"a", Lines(1023), Lines(1024), Lines(5000), Lines(100000), allBytes,
      L"\u00E5\u00E4\u00F6 \u00C5\u00C4\u00D6 \u00FF\u00A0\r\n\t"};
  ProgramFolder folder(L"texts");
  ASSERT_TRUE(folder.Ready());
  {
    ProgramRun program;
    ASSERT_TRUE(program.Start(folder));
    ASSERT_TRUE(program.ShowFromTray());
    for (int slot = 1; slot <= 8; ++slot) ASSERT_TRUE(program.SetMemoText(slot, texts[slot - 1]));
    program.ClickOk();
    ASSERT_TRUE(program.WaitVisible(false)) << "OK refused a text of bytes only";
    EXPECT_TRUE(program.Boxes().empty());
    // Kill rather than quit: what OK stored must be enough.
    program.Proc().Kill();
  }
  // A run that quits before its window was ever shown stores the texts as
  // it loaded them.
  const std::string stored = folder.IniBytes();
  {
    ProgramRun unseen;
    ASSERT_TRUE(unseen.Start(folder));
    unseen.Command(kQuitCommand);
    ASSERT_TRUE(unseen.EndsCleanly());
    EXPECT_TRUE(folder.IniBytes() == stored) << "a run that was never shown changed the texts";
  }
  ProgramRun again;
  ASSERT_TRUE(again.Start(folder));
  for (int slot = 1; slot <= 8; ++slot) {
    SCOPED_TRACE(slot);
    const std::wstring text = again.MemoText(slot);
    EXPECT_EQ(text.size(), texts[slot - 1].size());
    EXPECT_TRUE(text == texts[slot - 1]) << "the text came back changed";
  }
  again.Command(kQuitCommand);
  EXPECT_TRUE(again.EndsCleanly());
}

TEST(BadInputTest, CharactersAboveU00FFAreRefusedOnOkAndAtQuit) {
  const struct {
    const char* name;
    std::wstring text;
  } cases[] = {
      {"euro sign", L"cost \u20AC5"},
      {"U+0100", L"x\u0100y"},
      {"surrogate pair", L"smile \U0001F600!"},
      {"CJK", L"\u4E2D\u6587"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramFolder folder(L"non-ansi");
    ASSERT_TRUE(folder.Ready());
    const std::string before = "[Main]\r\nText3=4F4C44\r\n";
    ASSERT_TRUE(folder.WriteIni(before));
    ProgramRun program;
    ASSERT_TRUE(program.Start(folder, WithArguments(L"/english")));
    ASSERT_TRUE(program.ShowFromTray());
    ASSERT_TRUE(program.SetMemoText(3, c.text));
    const struct {
      const char* name;
      void (*ask)(const ProgramRun&);
    } asks[] = {
        {"OK", [](const ProgramRun& p) { p.ClickOk(); }},
        {"Quit", [](const ProgramRun& p) { p.Command(kQuitCommand); }},
    };
    for (const auto& ask : asks) {
      SCOPED_TRACE(ask.name);
      ask.ask(program);
      const HWND box = program.WaitForBox(L"Error");
      ASSERT_NE(box, nullptr) << "no refusal";
      EXPECT_EQ(BoxText(box), L"This program is only compatible with ANSI chars.");
      PressBoxOk(box);
      ASSERT_TRUE(WaitUntil([&] { return program.Boxes().empty(); }));
      EXPECT_TRUE(program.Answers(2000) && program.Visible());
      EXPECT_EQ(program.MemoText(3), c.text);
      EXPECT_EQ(folder.IniBytes(), before) << "stored despite refusing";
    }
    ASSERT_TRUE(program.SetMemoText(3, L"mended"));
    program.Command(kQuitCommand);
    ASSERT_TRUE(program.EndsCleanly());
    std::string stored;
    EXPECT_TRUE(IniValue(ParseIni(folder.IniBytes()), "Main", "Text3", &stored));
    EXPECT_EQ(stored, StoredForm(L"mended"));
  }
}

// --- Command lines -----------------------------------------------------------------

TEST(BadInputTest, CommandLinesChooseTheLanguageByTheWholeFirstSwitch) {
  SKIP_UNLESS_WINE("a locale per process");
  const std::string longArgument(8000, 'L');
  enum Choice { kLocale, kSwedish, kEnglish };
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    Choice choice;
  } cases[] = {
      {"none", {}, kLocale},
      {"many, no switch", {"a", "b", "c", "d", "e", "f", "g", "h"}, kLocale},
      {"many, switch late", {"a", "b", "c", "/english", "/swedish"}, kEnglish},
      {"empty arguments", {"", "", ""}, kLocale},
      {"empty arguments, then switch", {"", "/Swedish", ""}, kSwedish},
      {"/SWEDISH2", {"/SWEDISH2"}, kLocale},
      {"-swedish", {"-swedish"}, kLocale},
      {"swedish without slash", {"SWEDISH"}, kLocale},
      {"switch with spaces", {" /swedish "}, kLocale},
      {"mixed case", {"/sWeDiSh"}, kSwedish},
      {"mixed case English", {"/EnGlIsH"}, kEnglish},
      {"very long argument", {longArgument}, kLocale},
      {"very long argument, then switch", {longArgument, "/ENGLISH"}, kEnglish},
  };
  const struct {
    const char* posix;
    bool swedish;
  } locales[] = {{"sv_SE.UTF-8", true}, {"en_US.UTF-8", false}};
  ProgramFolder folder(L"command-line");
  ASSERT_TRUE(folder.Ready());
  for (const auto& locale : locales) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(locale.posix) + ", " + c.name);
      StartOptions options;
      options.posixLocale = locale.posix;
      std::string quoted;
      for (const std::string& argument : c.arguments) quoted += " " + ShellQuote(argument);
      options.arguments = std::wstring(quoted.begin(), quoted.end());
      ProgramRun program;
      ASSERT_TRUE(program.Start(folder, options));
      const bool swedish = c.choice == kSwedish || (c.choice == kLocale && locale.swedish);
      EXPECT_EQ(TextOf(program.Main()), swedish ? e2e::kSwedish.title : e2e::kEnglish.title);
      program.Command(kQuitCommand);
      EXPECT_TRUE(program.EndsCleanly());
    }
  }
}

}  // namespace
