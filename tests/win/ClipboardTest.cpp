// The clipboard routines against the Wine clipboard: what another program finds there
// after ClipboardSetText.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ClipboardToolz.h"

using namespace ordfalk;

namespace {

// The bytes of the clipboard's CF_TEXT block, whole (GlobalSize bytes), or
// nullopt-like "missing" flag when there is none.
struct ClipboardText {
  bool present = false;
  std::string bytes;
};

ClipboardText ReadClipboardText() {
  ClipboardText result;
  if (!OpenClipboard(nullptr)) return result;
  if (HANDLE data = GetClipboardData(CF_TEXT)) {
    if (const void* p = GlobalLock(data)) {
      result.present = true;
      result.bytes.assign(static_cast<const char*>(p), GlobalSize(data));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return result;
}

// The locale named by the clipboard's CF_LOCALE block; 0 when there is none.
LCID ReadClipboardLocale() {
  LCID locale = 0;
  if (!OpenClipboard(nullptr)) return locale;
  if (HANDLE data = GetClipboardData(CF_LOCALE)) {
    if (const void* p = GlobalLock(data)) {
      if (GlobalSize(data) >= sizeof locale) std::memcpy(&locale, p, sizeof locale);
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return locale;
}

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

void PutUnicodeText(const wchar_t* text, UINT extraFormat) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const size_t bytes = (wcslen(text) + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(block), text, bytes);
  GlobalUnlock(block);
  SetClipboardData(CF_UNICODETEXT, block);
  if (extraFormat != 0) {
    HGLOBAL extra = GlobalAlloc(GMEM_MOVEABLE, 4);
    std::memcpy(GlobalLock(extra), "xyz", 4);
    GlobalUnlock(extra);
    SetClipboardData(extraFormat, extra);
  }
  CloseClipboard();
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
    const ClipboardText read = ReadClipboardText();
    ASSERT_TRUE(read.present) << c.name;
    EXPECT_EQ(read.bytes, c.text + std::string(1, '\0')) << c.name;
    const LCID locale = ReadClipboardLocale();
    EXPECT_EQ(AnsiCodePageOf(locale), 1252u) << c.name << ", locale " << locale;
    EXPECT_EQ(locale, expectedLocale) << c.name;
  }
}

TEST(ClipboardSetText, ExactBlocksOfTheExamples) {
  ClipboardSetText("");
  EXPECT_EQ(ReadClipboardText().bytes, std::string(1, '\0'));
  ClipboardSetText("abc");
  EXPECT_EQ(ReadClipboardText().bytes, std::string("\x61\x62\x63\x00", 4));
}

TEST(ClipboardSetText, OnlyCfTextIsPlacedAndEarlierContentsAreGone) {
  const UINT privateFormat = RegisterClipboardFormatW(L"Ordfalk test format");
  ASSERT_NE(privateFormat, 0u);
  PutUnicodeText(L"earlier", privateFormat);
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
  EXPECT_EQ(ReadClipboardText().bytes, std::string("abc\0", 4));
}

TEST(ClipboardSetText, ClipboardHeldOpenElsewhereKeepsItsContents) {
  ClipboardSetText("before");
  HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  bool holderOpened = false;
  // The holder opens the clipboard for a window of its own, as another
  // program does (Wine lets a second opener without a window in otherwise).
  std::thread holder([&] {
    HWND window = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    holderOpened = window != nullptr && OpenClipboard(window) != FALSE;
    SetEvent(opened);
    WaitForSingleObject(release, 10000);
    if (holderOpened) CloseClipboard();
    if (window != nullptr) DestroyWindow(window);
  });
  WaitForSingleObject(opened, 10000);
  ASSERT_TRUE(holderOpened);

  const DWORD start = GetTickCount();
  // Reported, so that no paste follows of what the clipboard held before.
  EXPECT_FALSE(ClipboardSetText("after"));
  EXPECT_LT(GetTickCount() - start, 2000u) << "the call waited for the clipboard";

  SetEvent(release);
  holder.join();
  CloseHandle(opened);
  CloseHandle(release);
  EXPECT_EQ(ReadClipboardText().bytes, std::string("before\0", 7));
}

TEST(ClipboardSetText, TextWithZeroBytesIsCopiedWhole) {
  // The block is as long as the string plus one: inner zero bytes included.
  ClipboardSetText(std::string("a\0b", 3));
  EXPECT_EQ(ReadClipboardText().bytes, std::string("a\0b\0", 4));
}
