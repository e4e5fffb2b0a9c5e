// Shared by the fuzz targets: a check that stops the run with a message, so
// libFuzzer keeps the input that broke an invariant.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "Toolz.h"

#define FUZZ_CHECK(condition)                                                         \
  do {                                                                                \
    if (!(condition)) {                                                               \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                   \
    }                                                                                 \
  } while (0)

namespace ordfalk::fuzz {

// Reads the fuzzer's bytes front to back; past the end everything is 0.
class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  size_t left() const { return size_; }
  uint8_t Byte() {
    if (size_ == 0) return 0;
    --size_;
    return *data_++;
  }
  int32_t Int32() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= uint32_t{Byte()} << (8 * i);
    return static_cast<int32_t>(value);
  }
  // Count units: one byte each (narrow, so that ASCII letters and digits
  // turn up often) or two bytes each (any UTF-16 unit).
  Text Units(size_t count, bool wide) {
    Text text;
    for (size_t i = 0; i < count && size_ > 0; ++i) {
      char16_t unit = Byte();
      if (wide) unit = static_cast<char16_t>(unit | (Byte() << 8));
      text.push_back(unit);
    }
    return text;
  }
  Text Rest(bool wide) { return Units(size_, wide); }
  AnsiString RestBytes() {
    AnsiString bytes(reinterpret_cast<const char*>(data_), size_);
    size_ = 0;
    return bytes;
  }

 private:
  const uint8_t* data_;
  size_t size_;
};

}  // namespace ordfalk::fuzz
