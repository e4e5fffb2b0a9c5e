// Crossing the Win32 boundary with Text: on Windows wchar_t is a UTF-16 code
// unit, so these copies change no unit. Every string handed to the platform
// is zero-terminated; an empty text is an empty string, never a null pointer.
#pragma once

#include <string>

#include "Toolz.h"

namespace ordfalk {

inline std::wstring Wide(const Text& text) { return std::wstring(text.begin(), text.end()); }

inline Text FromWide(const wchar_t* units, size_t count) {
  return Text(units, units + count);
}

inline Text FromWide(const std::wstring& units) { return Text(units.begin(), units.end()); }

}  // namespace ordfalk
