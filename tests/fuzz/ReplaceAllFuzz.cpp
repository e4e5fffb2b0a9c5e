// StrReplaceAll against Part 2.1's algorithm written out step by step.
//
// Input: flags (bit 0 CaseSensitive, bit 1 wide units), pattern length,
// replacement length, the pattern, the replacement, then the text.
#include "FuzzCheck.h"

using namespace ordfalk;

namespace {

Text Reference(const Text& text, const Text& pattern, const Text& replacement, bool caseSensitive) {
  if (text.empty() || pattern.empty()) return Text();
  Text searchCopy = caseSensitive ? text : StrUpper(text);
  const Text searchPattern = caseSensitive ? pattern : StrUpper(pattern);
  Text rest = text;
  Text result;
  while (!searchCopy.empty()) {
    size_t p = Text::npos;  // 0-based here
    for (size_t i = 0; i + searchPattern.size() <= searchCopy.size(); ++i) {
      if (searchCopy.compare(i, searchPattern.size(), searchPattern) == 0) {
        p = i;
        break;
      }
    }
    if (p == Text::npos) {
      result += rest;
      break;
    }
    result += rest.substr(0, p);
    result += replacement;
    rest.erase(0, p + pattern.size());
    searchCopy.erase(0, p + pattern.size());
  }
  return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const uint8_t flags = input.Byte();
  const bool caseSensitive = (flags & 1) != 0;
  const bool wide = (flags & 2) != 0;
  const size_t patternLength = input.Byte() % 8;
  const size_t replacementLength = input.Byte() % 8;
  const Text pattern = input.Units(patternLength, wide);
  const Text replacement = input.Units(replacementLength, wide);
  const Text text = input.Rest(wide);

  const Text result = StrReplaceAll(text, pattern, replacement, caseSensitive);
  FUZZ_CHECK(result == Reference(text, pattern, replacement, caseSensitive));
  // Replacing a pattern by itself changes nothing (exact comparison).
  if (!text.empty() && !pattern.empty()) {
    FUZZ_CHECK(StrReplaceAll(text, pattern, pattern, true) == text);
  }
  return 0;
}
