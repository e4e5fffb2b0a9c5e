// The clipboard routines against the Wine clipboard: what another program finds there
// after ClipboardSetText.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ClipboardBlocks.h"
#include "ClipboardToolz.h"

using namespace ordfalk;

namespace {

using clipboard_blocks::Read;

DWORD AnsiCodePageOf(LCID locale) {
  DWORD codePage = 0;
  GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                 reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t));
  return codePage;
}

// The formats placed on the clipboard, in the order the platform lists them.
std::vector<UINT> ClipboardFormats() {
  std::vector<UINT> formats;
  if (!OpenClipboard(nullptr)) return formats;
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    formats.push_back(format);
  }
  CloseClipboard();
  return formats;
}

}  // namespace

// Whatever the system's language (this test also runs under a Russian
// locale), the bytes come with a locale of code page 1252, in which readers
// of Unicode text find the Latin-1 letters; the user's own locale when it
// has that code page.
TEST(ClipboardSetText, PutsTheBytesAndOneZeroByteWithALatin1Locale) {
  const LCID user = GetUserDefaultLCID();
  const LCID expectedLocale = AnsiCodePageOf(user) == 1252 ? user : 0x0809;
  struct Case {
    const char* name;
    std::string text;
  };
  std::string high;
  for (int b = 0x80; b <= 0xFF; ++b) high.push_back(static_cast<char>(b));
  std::string allButZero;
  for (int b = 0x01; b <= 0xFF; ++b) allButZero.push_back(static_cast<char>(b));
  const Case cases[] = {
      {"empty", ""},
      {"abc", "abc"},
      {"CR LF and Swedish letters", "a\r\n\xE5\xE4\xF6"},
      {"bytes 0x80..0xFF unchanged", high},
      {"bytes 0x01..0xFF", allButZero},
      {"long text", std::string(100000, 'x')},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(ClipboardSetText(c.text)) << c.name;
    const std::string read = Read(CF_TEXT);
    ASSERT_FALSE(read.empty()) << c.name;
    EXPECT_EQ(read, c.text + std::string(1, '\0')) << c.name;
    const LCID locale = clipboard_blocks::Locale();
    EXPECT_EQ(AnsiCodePageOf(locale), 1252u) << c.name << ", locale " << locale;
    EXPECT_EQ(locale, expectedLocale) << c.name;
  }
}

TEST(ClipboardSetText, ExactBlocksOfTheExamples) {
  ClipboardSetText("");
  EXPECT_EQ(Read(CF_TEXT), std::string(1, '\0'));
  ClipboardSetText("abc");
  EXPECT_EQ(Read(CF_TEXT), std::string("\x61\x62\x63\x00", 4));
}

TEST(ClipboardSetText, OnlyCfTextIsPlacedAndEarlierContentsAreGone) {
  const UINT privateFormat = RegisterClipboardFormatW(L"Ordfalk test format");
  ASSERT_NE(privateFormat, 0u);
  const wchar_t earlier[] = L"earlier";
  ASSERT_TRUE(clipboard_blocks::Replace(
      {{CF_UNICODETEXT, std::string(reinterpret_cast<const char*>(earlier), sizeof earlier)},
       {privateFormat, std::string("xyz", 4)}}));
  ASSERT_TRUE(IsClipboardFormatAvailable(privateFormat));

  ClipboardSetText("abc");
  // Windows adds synthesised text formats on reading; the first format
  // listed is the one that was placed, and nothing from before is left.
  const std::vector<UINT> formats = ClipboardFormats();
  ASSERT_FALSE(formats.empty());
  EXPECT_EQ(formats.front(), static_cast<UINT>(CF_TEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(privateFormat));
  for (const UINT format : formats) {
    EXPECT_TRUE(format == CF_TEXT || format == CF_OEMTEXT || format == CF_UNICODETEXT ||
                format == CF_LOCALE)
        << "unexpected format " << format;
  }
  EXPECT_EQ(Read(CF_TEXT), std::string("abc\0", 4));
}

TEST(ClipboardSetText, ClipboardHeldOpenElsewhereKeepsItsContents) {
  ClipboardSetText("before");
  // Held for a window of its own, as another program does.
  clipboard_blocks::HeldClipboard holder;
  ASSERT_TRUE(holder.Held());

  const DWORD start = GetTickCount();
  // Reported, so that no paste follows of what the clipboard held before.
  EXPECT_FALSE(ClipboardSetText("after"));
  EXPECT_LT(GetTickCount() - start, 2000u) << "the call waited for the clipboard";

  holder.Release();
  EXPECT_EQ(Read(CF_TEXT), std::string("before\0", 7));
}

TEST(ClipboardSetText, TextWithZeroBytesIsCopiedWhole) {
  // The block is as long as the string plus one: inner zero bytes included.
  ClipboardSetText(std::string("a\0b", 3));
  EXPECT_EQ(Read(CF_TEXT), std::string("a\0b\0", 4));
}
