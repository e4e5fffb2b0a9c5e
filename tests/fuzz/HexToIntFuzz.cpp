// HexToIntDef against a plain reference of Part 2.1's rule.
//
// Input: flags (bit 0 wide units), the default (4 bytes), then the text.
#include "FuzzCheck.h"

using namespace ordfalk;

namespace {

int32_t Reference(const Text& text, int32_t defaultValue) {
  size_t end = 0;
  while (end < text.size() && text[end] != 0) ++end;
  if (end == 0) return defaultValue;
  uint64_t value = 0;
  int significant = 0;
  for (size_t i = 0; i < end; ++i) {
    const char16_t c = text[i];
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return defaultValue;
    if (significant > 0 || digit != 0) ++significant;
    if (significant > 8) return defaultValue;
    value = value * 16 + static_cast<uint64_t>(digit);
  }
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const bool wide = (input.Byte() & 1) != 0;
  const int32_t defaultValue = input.Int32();
  const Text text = input.Rest(wide);
  FUZZ_CHECK(HexToIntDef(text, defaultValue) == Reference(text, defaultValue));
  return 0;
}
