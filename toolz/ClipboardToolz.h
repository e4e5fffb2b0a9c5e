// ClipboardToolz: the only access to the Windows clipboard. Each call opens
// the clipboard, empties it, hands over a fresh memory block and closes it
// again, in one attempt.
#pragma once

#include <cstdint>

#include "Toolz.h"

namespace ordfalk {

inline constexpr uint16_t kClipboardText = 1;          // CF_TEXT
inline constexpr uint16_t kClipboardUnicodeText = 13;  // CF_UNICODETEXT
inline constexpr uint16_t kClipboardLocale = 16;       // CF_LOCALE

// Replaces the clipboard contents with a copy of Size bytes under Format.
// True when the clipboard took them; false when it could not be opened
// (another program holds it; its contents then stay as they were) or the
// block could not be made or was refused.
bool ClipboardSetBuffer(uint16_t format, const void* data, int32_t size);

// Replaces the clipboard contents with the string's bytes and one
// terminating zero byte, as CF_TEXT, and names beside them (CF_LOCALE) a
// locale of the Western European code page 1252, in which programs that
// read the clipboard as Unicode find the Latin-1 letters the bytes stand
// for, whatever the system's language and keyboard. True when the
// clipboard took the text.
bool ClipboardSetText(const AnsiString& text);

// The same for the low bytes of Text's units, in the same opening of the
// clipboard with Text itself before them as CF_UNICODETEXT (its units and
// one terminating zero unit): programs that read Unicode paste every
// character exactly, those that read only 8-bit text get the bytes. True
// when the clipboard took both.
bool ClipboardSetText(const Text& text);

}  // namespace ordfalk
