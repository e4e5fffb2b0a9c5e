// Part 2.2: the hex text coder that stores the slots in the settings file.
#include <gtest/gtest.h>

#include "Toolz.h"

using namespace ordfalk;

namespace {

AnsiString A(const char* bytes, size_t count) { return AnsiString(bytes, count); }

AnsiString AllBytes() {
  AnsiString all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  return all;
}

AnsiString Byte(int value) { return AnsiString(1, static_cast<char>(value)); }

// Byte values that do not survive encoding and decoding with Alphabet.
std::vector<int> BrokenBytes(const Text& alphabet, bool plainBytes) {
  std::vector<int> broken;
  for (int b = 0; b < 256; ++b) {
    if (DecodeHexText(EncodeHexText(Byte(b), alphabet, plainBytes), alphabet, plainBytes) != Byte(b)) {
      broken.push_back(b);
    }
  }
  return broken;
}

}  // namespace

class HexCoderPlainBytes : public testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(BothModes, HexCoderPlainBytes, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& mode) {
                           return mode.param ? "Plain" : "Complemented";
                         });

TEST_P(HexCoderPlainBytes, EmptyInputGivesEmptyOutput) {
  EXPECT_EQ(EncodeHexText("", kHexDigits, GetParam()), "");
  EXPECT_EQ(DecodeHexText("", kHexDigits, GetParam()), "");
}

TEST_P(HexCoderPlainBytes, AllByteValuesRoundTripAtTwiceTheLength) {
  const AnsiString encoded = EncodeHexText(AllBytes(), kHexDigits, GetParam());
  EXPECT_EQ(encoded.size(), 512u);
  EXPECT_EQ(DecodeHexText(encoded, kHexDigits, GetParam()), AllBytes());
}

TEST_P(HexCoderPlainBytes, EncodesEachByteAsTwoUpperCaseDigitsHighNibbleFirst) {
  const bool plain = GetParam();
  AnsiString expected;
  for (int b = 0; b < 256; ++b) expected += StrToAnsi(IntToHexUpper(plain ? b : b ^ 0xFF, 2));
  EXPECT_EQ(EncodeHexText(AllBytes(), kHexDigits, plain), expected);
}

TEST_P(HexCoderPlainBytes, AlphabetCharactersAfterTheSixteenthAreIgnored) {
  const Text longer = kHexDigits + u"XYZ0";
  EXPECT_EQ(EncodeHexText(AllBytes(), longer, GetParam()), EncodeHexText(AllBytes(), kHexDigits, GetParam()));
  EXPECT_EQ(DecodeHexText("0XYZ", longer, GetParam()), DecodeHexText("0XYZ", kHexDigits, GetParam()));
}

TEST(HexCoder, ExamplesOfPart22) {
  struct Case {
    const char* name;
    AnsiString input;
    bool plain;
    bool encode;
    AnsiString expected;
  };
  const Case cases[] = {
      {"0x00 plain", A("\0", 1), true, true, "00"},
      {"0xFF plain", "\xFF", true, true, "FF"},
      {"0x00 complemented", A("\0", 1), false, true, "FF"},
      {"0xFF complemented", "\xFF", false, true, A("00", 2)},
      {"abc plain", "abc", true, true, "616263"},
      {"abc complemented", "abc", false, true, "9E9D9C"},
      {"CR LF and Swedish letters", "\r\n\xE5\xE4\xF6", true, true, "0D0AE5E4F6"},
      {"decode plain", "616263", true, false, "abc"},
      {"decode complemented", "9E9D9C", false, false, "abc"},
      {"decode plain form complemented", "616263", false, false, "\x9E\x9D\x9C"},
      {"lower case", "6a", true, false, "\x6A"},
      {"lower case pair", "ff", true, false, "\xFF"},
      {"mixed case pair", "fF", false, false, A("\0", 1)},
      {"odd length: last character alone", "616", true, false, A("\x61\x06", 2)},
      {"odd length complemented", "616", false, false, A("\x9E\xF9", 2)},
      {"single character", "F", true, false, "\x0F"},
      {"invalid pair plain", "6G", true, false, A("\0", 1)},
      {"invalid pair complemented", "6G", false, false, "\xFF"},
      {"blank before", " 61", true, false, A("\x00\x01", 2)},
      {"sign", "-1", true, false, A("\0", 1)},
      {"dollar", "$F", true, false, A("\0", 1)},
      {"invalid lone last character", "61G", true, false, A("\x61\x00", 2)},
      {"high byte that is not a digit", "\xB1" "1", true, false, A("\0", 1)},
      {"zero byte in a pair", A("\0" "1", 2), true, false, A("\0", 1)},
  };
  for (const Case& c : cases) {
    const AnsiString got = c.encode ? EncodeHexText(c.input, kHexDigits, c.plain)
                                    : DecodeHexText(c.input, kHexDigits, c.plain);
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

TEST(HexCoder, DecodedLengthIsHalfTheInputRoundedUp) {
  for (size_t n = 0; n < 9; ++n) {
    EXPECT_EQ(DecodeHexText(AnsiString(n, 'Z'), kHexDigits, true).size(), (n + 1) / 2) << n;
  }
}

TEST(HexCoder, AlphabetsMeetingThePartsThreeConditionsRoundTrip) {
  const Text alphabets[] = {
      u"GHIJKLMNOPQRSTUV",
      u"ghijklmnopqrstuv",
      u"0123456789abcdef",
      u"\u00E0\u00E1\u00E2\u00E3\u00E4\u00E5\u00E6\u00E7\u00E8\u00E9\u00EA\u00EB\u00EC\u00ED\u00EE\u00EF",
      u"\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A\x0B\x0C\x0D\x0E\x0F\x10",
  };
  for (const Text& alphabet : alphabets) {
    for (const bool plain : {true, false}) {
      const AnsiString encoded = EncodeHexText(AllBytes(), alphabet, plain);
      EXPECT_EQ(encoded.size(), 512u);
      EXPECT_EQ(DecodeHexText(encoded, alphabet, plain), AllBytes())
          << StrToAnsi(alphabet) << (plain ? " plain" : " complemented");
      // Decoding ignores the case of the alphabet's characters.
      AnsiString swapped = encoded;
      for (char& c : swapped) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
      }
      EXPECT_EQ(DecodeHexText(swapped, alphabet, plain), AllBytes()) << StrToAnsi(alphabet);
    }
  }
}

TEST(HexCoder, CustomAlphabetWritesItsOwnCharacters) {
  EXPECT_EQ(EncodeHexText("\x01\xAF", u"GHIJKLMNOPQRSTUV", true), "GHQV");
  EXPECT_EQ(DecodeHexText("GHQV", u"GHIJKLMNOPQRSTUV", true), "\x01\xAF");
  // An alphabet character above U+00FF is written as its low byte.
  EXPECT_EQ(EncodeHexText(A("\0", 1), u"\u0147123456789ABCDEF", true), "GG");
}

TEST(HexCoder, AlphabetPitfallsBreakTheRoundTrip) {
  // A character equal to the standard digit of another position: 0 and 1
  // swapped. Encoding turns 0 into 1 and then every 1 into 0, so nibbles 0
  // and 1 are coded alike; decoding gives 1 for both.
  const Text swapped = u"1023456789ABCDEF";
  EXPECT_EQ(EncodeHexText(Byte(0x00), swapped, true), EncodeHexText(Byte(0x11), swapped, true));
  EXPECT_EQ(DecodeHexText(EncodeHexText(Byte(0x00), swapped, true), swapped, true), Byte(0x11));
  EXPECT_FALSE(BrokenBytes(swapped, true).empty());
  EXPECT_FALSE(BrokenBytes(swapped, false).empty());

  // The same ignoring case: a at position 0 is caught by the step for A.
  const Text lowerA = u"a123456789ABCDEF";
  EXPECT_EQ(DecodeHexText(EncodeHexText(Byte(0xAA), lowerA, true), lowerA, true), Byte(0x00));
  EXPECT_FALSE(BrokenBytes(lowerA, true).empty());

  // One character twice, ignoring case: A at 10 and a at 15 code 10 and 15
  // alike.
  const Text twice = u"0123456789ABCDEa";
  EXPECT_EQ(DecodeHexText(EncodeHexText(Byte(0xAA), twice, true), twice, true), Byte(0xFF));
  EXPECT_EQ(DecodeHexText(EncodeHexText(Byte(0xAF), twice, true), twice, true), Byte(0xFF));

  // A character above U+00FF is stored as its low byte and not found again.
  const Text wide = u"0\u0147" u"23456789ABCDEF";
  EXPECT_EQ(DecodeHexText(EncodeHexText(Byte(0x11), wide, true), wide, true), Byte(0x00));
}

TEST(HexCoder, AlphabetShorterThanSixteenIsRefused) {
  const Text shortAlphabets[] = {u"", u"0", u"0123456789ABCDE"};
  for (const Text& alphabet : shortAlphabets) {
    for (const bool plain : {true, false}) {
      EXPECT_EQ(EncodeHexText("abc", alphabet, plain), "") << alphabet.size();
      EXPECT_EQ(DecodeHexText("616263", alphabet, plain), "") << alphabet.size();
      EXPECT_EQ(EncodeHexText("", alphabet, plain), "");
      EXPECT_EQ(DecodeHexText("", alphabet, plain), "");
    }
  }
}
