// Portable part of Toolz: conversions, numbers, text routines, the hex text
// coder and the language rule. Nothing here touches the platform, except
// StrUpper, which lives in Toolz_win.cpp (and a stand-in in Toolz_host.cpp).
#include "Toolz.h"

#include <algorithm>

namespace ordfalk {

AnsiString StrToAnsi(const Text& text) {
  AnsiString bytes(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) bytes[i] = static_cast<char>(text[i] & 0xFF);
  return bytes;
}

Text AnsiToStr(const AnsiString& bytes) {
  Text text(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) text[i] = static_cast<unsigned char>(bytes[i]);
  return text;
}

bool HasNonAnsiChars(const Text& text) { return AnsiToStr(StrToAnsi(text)) != text; }

Text IntToHexUpper(int32_t value, int32_t digits) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  if (digits < 0 || digits > 32) digits = 0;
  auto rest = static_cast<uint32_t>(value);
  Text reversed;
  do {
    reversed.push_back(kDigits[rest & 0xF]);
    rest >>= 4;
  } while (rest != 0);
  while (static_cast<int32_t>(reversed.size()) < digits) reversed.push_back(u'0');
  return Text(reversed.rbegin(), reversed.rend());
}

int32_t HexToIntDef(const Text& text, int32_t defaultValue) {
  const size_t end = std::min(text.find(u'\0'), text.size());
  if (end == 0) return defaultValue;
  uint32_t value = 0;
  for (size_t i = 0; i < end; ++i) {
    const char16_t c = text[i];
    uint32_t digit;
    if (c >= u'0' && c <= u'9') {
      digit = c - u'0';
    } else if (c >= u'A' && c <= u'F') {
      digit = c - u'A' + 10;
    } else if (c >= u'a' && c <= u'f') {
      digit = c - u'a' + 10;
    } else {
      return defaultValue;
    }
    if (value >= (1u << 28)) return defaultValue;  // a ninth significant digit
    value = value * 16 + digit;
  }
  return static_cast<int32_t>(value);
}

int64_t ClampInt64(int64_t value, int64_t minValue, int64_t maxValue) {
  if (value < minValue) return minValue;
  if (value > maxValue) return maxValue;
  return value;
}

Text StrCopyPart(const Text& text, int32_t index, int32_t count) {
  const size_t length = text.size();
  size_t start = index >= 1 ? static_cast<size_t>(index) - 1 : 0;
  if (start > length) start = length;
  const size_t n = count < 0 ? 0 : std::min(static_cast<size_t>(count), length - start);
  return text.substr(start, n);
}

Text StrReplaceAll(const Text& text, const Text& pattern, const Text& replacement,
                   bool caseSensitive) {
  if (text.empty() || pattern.empty()) return Text();
  // StrUpper keeps the length, so positions in the search copy are positions
  // in Text; the pieces between occurrences are taken from Text itself.
  const Text searchCopy = caseSensitive ? text : StrUpper(text);
  const Text searchPattern = caseSensitive ? pattern : StrUpper(pattern);
  Text result;
  size_t done = 0;
  while (done < searchCopy.size()) {
    const size_t found = searchCopy.find(searchPattern, done);
    if (found == Text::npos) {
      result.append(text, done, Text::npos);
      break;
    }
    result.append(text, done, found - done);
    result.append(replacement);
    done = found + pattern.size();
  }
  return result;
}

bool SameStrCase(const Text& left, const Text& right, bool caseSensitive) {
  if (caseSensitive) return left == right;
  return StrUpper(left) == StrUpper(right);
}

Text ChooseStr(bool condition, const Text& ifTrue, const Text& ifFalse) {
  return condition ? ifTrue : ifFalse;
}

AnsiString EncodeHexText(const AnsiString& bytes, const Text& hexAlphabet, bool plainBytes) {
  if (hexAlphabet.size() < 16) return AnsiString();
  Text work;
  work.reserve(bytes.size() * 2);
  for (const char byte : bytes) {
    auto value = static_cast<unsigned char>(byte);
    if (!plainBytes) value ^= 0xFF;
    work += IntToHexUpper(value, 2);
  }
  // Each step works on what the steps before it left, ignoring case: a
  // character written by one step can be rewritten by a later one.
  for (size_t k = 0; k < 16; ++k) {
    work = StrReplaceAll(work, kHexDigits.substr(k, 1), hexAlphabet.substr(k, 1), false);
  }
  return StrToAnsi(work);
}

AnsiString DecodeHexText(const AnsiString& bytes, const Text& hexAlphabet, bool plainBytes) {
  if (hexAlphabet.size() < 16) return AnsiString();
  Text work = AnsiToStr(bytes);
  for (size_t k = 0; k < 16; ++k) {
    work = StrReplaceAll(work, hexAlphabet.substr(k, 1), kHexDigits.substr(k, 1), false);
  }
  AnsiString result;
  result.reserve((work.size() + 1) / 2);
  for (size_t i = 1; i <= work.size(); i += 2) {
    const Text pair = StrCopyPart(work, static_cast<int32_t>(i), 2);
    auto byte = static_cast<unsigned char>(HexToIntDef(StrUpper(pair), 0) & 0xFF);
    if (!plainBytes) byte ^= 0xFF;
    result.push_back(static_cast<char>(byte));
  }
  return result;
}

bool IsSwedishFor(const std::vector<Text>& arguments, uint32_t threadLocale) {
  for (const Text& argument : arguments) {
    if (SameStrCase(argument, u"/SWEDISH", false)) return true;
    if (SameStrCase(argument, u"/ENGLISH", false)) return false;
  }
  return threadLocale == kSwedishLocale;
}

}  // namespace ordfalk
