#include <windows.h>

#include <cstring>

#include "ClipboardToolz.h"

namespace ordfalk {

namespace {

// Opens the clipboard with no owner window and empties it; closes it again
// at the end of the scope. One attempt and no retry: while another program
// holds the clipboard open, its contents stay as they are.
class OpenedClipboard {
 public:
  OpenedClipboard() : opened_(OpenClipboard(nullptr) != FALSE) {
    if (opened_) EmptyClipboard();
  }
  ~OpenedClipboard() {
    if (opened_) CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;

  explicit operator bool() const { return opened_; }

 private:
  bool opened_;
};

// Hands a fresh block holding a copy of Size bytes to the open clipboard
// under Format. True when the clipboard took it; a block that could not be
// filled or was refused is freed.
bool PutBlock(uint16_t format, const void* data, int32_t size) {
  if (size < 0) return false;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, static_cast<SIZE_T>(size));
  if (!block) return false;
  bool taken = false;
  if (void* target = GlobalLock(block)) {
    if (size > 0) std::memcpy(target, data, static_cast<size_t>(size));
    // Handed over while still locked; once taken, the block is the
    // clipboard's.
    taken = SetClipboardData(format, block) != nullptr;
    GlobalUnlock(block);
  }
  if (!taken) GlobalFree(block);
  return taken;
}

constexpr DWORD kLatin1CodePage = 1252;
// English (United Kingdom): code page 1252, and for the programs that read
// the clipboard's OEM text, OEM code page 850, which holds every Latin-1
// letter (437, that of English (United States), lacks Ø, Ã, Ê and more).
constexpr LCID kEnglishUnitedKingdom = 0x0809;

// A locale whose ANSI code page is 1252: the user's own when it has that
// code page, so that a program that tags pasted text with its language
// keeps the user's; otherwise English (United Kingdom).
LCID Latin1Locale() {
  const LCID user = GetUserDefaultLCID();
  DWORD codePage = 0;
  const int got = GetLocaleInfoW(user, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                                 reinterpret_cast<LPWSTR>(&codePage),
                                 sizeof codePage / sizeof(wchar_t));
  return got != 0 && codePage == kLatin1CodePage ? user : kEnglishUnitedKingdom;
}

// Puts the bytes and one zero byte on the open clipboard as CF_TEXT, and a
// locale of code page 1252 beside them. True when the bytes were taken.
bool PutAnsiText(const AnsiString& bytes) {
  // std::string keeps a zero byte after its last character, so the block
  // gets the bytes followed by exactly one zero byte (one zero byte alone
  // for an empty string).
  if (!PutBlock(kClipboardText, bytes.c_str(), static_cast<int32_t>(bytes.size()) + 1))
    return false;
  // The bytes are the low bytes of characters below U+0100 (Latin-1).
  // Whoever turns them into characters (the platform, for a reader of
  // Unicode or OEM text that was not placed, or the reader itself) uses
  // the code page of the clipboard's locale, which the platform otherwise
  // takes from the input language or the user's locale: with a Russian
  // keyboard or on a Greek or Japanese system, "å" would paste as another
  // character. Should this block not be taken, the text still pastes as it
  // did without it.
  const LCID locale = Latin1Locale();
  PutBlock(kClipboardLocale, &locale, sizeof locale);
  return true;
}

}  // namespace

bool ClipboardSetBuffer(uint16_t format, const void* data, int32_t size) {
  OpenedClipboard clipboard;
  return clipboard && PutBlock(format, data, size);
}

bool ClipboardSetText(const AnsiString& text) {
  OpenedClipboard clipboard;
  return clipboard && PutAnsiText(text);
}

bool ClipboardSetText(const Text& text) {
  const AnsiString bytes = StrToAnsi(text);
  OpenedClipboard clipboard;
  // Formats are listed in the order they were placed, and some programs
  // take the first they know: the exact text comes first.
  return clipboard &&
         PutBlock(kClipboardUnicodeText, text.c_str(),
                  static_cast<int32_t>((text.size() + 1) * sizeof(char16_t))) &&
         PutAnsiText(bytes);
}

}  // namespace ordfalk
