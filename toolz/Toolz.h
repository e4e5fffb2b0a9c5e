// Toolz: small, stateless text and number routines from which the rest of
// Ordfalk is built, the hex text coder, the language rule and the message
// boxes.
//
// Text is a counted sequence of UTF-16 code units on every build (U+0000 may
// occur inside and does not end it); an AnsiString is a counted sequence of
// bytes, 0x00 included, never translated through a code page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ordfalk {

using Text = std::u16string;
using AnsiString = std::string;

// --- Conversions between text and 8-bit strings --------------------------

// One byte per unit: the low 8 bits of the unit.
AnsiString StrToAnsi(const Text& text);
// One unit per byte: the byte's value, zero-extended.
Text AnsiToStr(const AnsiString& bytes);
// True when some unit of the text is 0x100 or above.
bool HasNonAnsiChars(const Text& text);

// --- Numbers -------------------------------------------------------------

// Upper-case hexadecimal of Value taken as unsigned 32-bit, at least Digits
// digits (a Digits outside 0..32 counts as 0); never cut.
Text IntToHexUpper(int32_t value, int32_t digits);
// The hexadecimal number Text spells (1..8 significant digits, nothing
// else, read up to the first U+0000), as a signed 32-bit value; else Default.
int32_t HexToIntDef(const Text& text, int32_t defaultValue);
// Value limited to MinValue..MaxValue; when MinValue > MaxValue, MinValue wins.
int64_t ClampInt64(int64_t value, int64_t minValue, int64_t maxValue);

// --- Text ----------------------------------------------------------------

// Upper-cased copy of the same length (the platform's rule on Windows).
Text StrUpper(const Text& text);
// At most Count units from 1-based position Index, clipped to the text.
Text StrCopyPart(const Text& text, int32_t index, int32_t count);
// Every occurrence of Pattern replaced by Replacement, left to right, never
// overlapping; an empty Text or Pattern gives an empty text.
Text StrReplaceAll(const Text& text, const Text& pattern, const Text& replacement,
                   bool caseSensitive);
// Equality, exact or after StrUpper of both sides.
bool SameStrCase(const Text& left, const Text& right, bool caseSensitive);
// IfTrue when Condition holds, else IfFalse.
Text ChooseStr(bool condition, const Text& ifTrue, const Text& ifFalse);

// --- Hex text coder ------------------------------------------------------

// The alphabet every caller in Ordfalk passes.
inline const Text kHexDigits = u"0123456789ABCDEF";

// Two characters per byte, high nibble first, written with the first 16
// characters of HexAlphabet; PlainBytes false codes each byte's complement.
// An alphabet of fewer than 16 characters is refused: the result is empty.
AnsiString EncodeHexText(const AnsiString& bytes, const Text& hexAlphabet, bool plainBytes);
// The reverse. Decoding never fails: a pair that is not a hex number gives
// 0 (0xFF when PlainBytes is false), a lone last character gives its value.
// An alphabet of fewer than 16 characters is refused: the result is empty.
AnsiString DecodeHexText(const AnsiString& bytes, const Text& hexAlphabet, bool plainBytes);

// --- Language ------------------------------------------------------------

inline constexpr uint32_t kSwedishLocale = 1053;  // Swedish as used in Sweden

// The language rule on explicit inputs: the first argument that is
// "/SWEDISH" or "/ENGLISH" (any case) decides; otherwise the locale.
bool IsSwedishFor(const std::vector<Text>& arguments, uint32_t threadLocale);

// True for a Swedish interface: the process's command line and its thread
// locale as read once at start.
bool IsSwedishUI();

// --- Platform (Windows) ---------------------------------------------------

// A window handle, kept opaque here so that this header stays portable.
using WindowHandle = void*;

// Modal boxes owned by Owner with an OK button; an empty caption gives the
// default one ("Fel"/"Error", "Om..."/"About...").
void ShowErrorBox(WindowHandle owner, const Text& text, const Text& caption);
void ShowInfoBox(WindowHandle owner, const Text& text, const Text& caption);

// The full path of the running executable, as the system reports it.
Text AppExePath();

}  // namespace ordfalk
