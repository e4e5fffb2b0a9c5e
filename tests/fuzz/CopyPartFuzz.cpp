// StrCopyPart against "the units at positions Index .. Index+Count-1 that
// exist, with an Index below 1 read as 1" (Part 2.1).
//
// Input: index (4 bytes), count (4 bytes), then the text, one unit per
// byte.
#include "FuzzCheck.h"

using namespace ordfalk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  const int32_t index = input.Int32();
  const int32_t count = input.Int32();
  const Text text = input.Rest(false);

  const int64_t first = index < 1 ? 1 : int64_t{index};
  const int64_t end = first + int64_t{count};  // first position not taken
  Text expected;
  for (int64_t position = 1; position <= static_cast<int64_t>(text.size()); ++position) {
    if (position >= first && position < end) expected.push_back(text[static_cast<size_t>(position - 1)]);
  }
  const Text part = StrCopyPart(text, index, count);
  FUZZ_CHECK(part == expected);
  FUZZ_CHECK(part.size() <= text.size());
  return 0;
}
