// EncodeHexText/DecodeHexText with arbitrary alphabets and data (Part 2.2).
//
// Input: flags (bit 0 PlainBytes, bit 1 wide alphabet units), alphabet
// length 0..20, the alphabet, then the data.
#include "FuzzCheck.h"

using namespace ordfalk;

namespace {

Text Upper(char16_t unit) { return StrUpper(Text(1, unit)); }

// Part 2.2's three conditions under which the round trip must hold.
bool MeetsTheThreeConditions(const Text& alphabet) {
  for (size_t i = 0; i < 16; ++i) {
    if (alphabet[i] < 0x01 || alphabet[i] > 0xFF) return false;
    for (size_t j = 0; j < 16; ++j) {
      if (i == j) continue;
      if (Upper(alphabet[i]) == Upper(alphabet[j])) return false;
      if (Upper(alphabet[i]) == Upper(kHexDigits[j])) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const uint8_t flags = input.Byte();
  const bool plain = (flags & 1) != 0;
  const bool wide = (flags & 2) != 0;
  const Text alphabet = input.Units(input.Byte() % 21, wide);
  const AnsiString bytes = input.RestBytes();

  const AnsiString encoded = EncodeHexText(bytes, alphabet, plain);
  const AnsiString decoded = DecodeHexText(bytes, alphabet, plain);  // any input decodes

  if (alphabet.size() < 16) {
    FUZZ_CHECK(encoded.empty());
    FUZZ_CHECK(decoded.empty());
    return 0;
  }
  FUZZ_CHECK(encoded.size() == 2 * bytes.size());
  FUZZ_CHECK(decoded.size() == (bytes.size() + 1) / 2);
  if (MeetsTheThreeConditions(alphabet)) {
    FUZZ_CHECK(DecodeHexText(encoded, alphabet, plain) == bytes);
  }
  if (alphabet.compare(0, 16, kHexDigits) == 0) {
    // The system's alphabet: plain upper-case hex of each (complemented) byte.
    static const char kDigits[] = "0123456789ABCDEF";
    AnsiString expected;
    for (const char c : bytes) {
      const unsigned v = static_cast<unsigned char>(c) ^ (plain ? 0u : 0xFFu);
      expected.push_back(kDigits[v >> 4]);
      expected.push_back(kDigits[v & 15]);
    }
    FUZZ_CHECK(encoded == expected);
  }
  return 0;
}
