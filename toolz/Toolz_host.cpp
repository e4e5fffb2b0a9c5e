// Stand-ins for the Win32-bound Toolz routines, so that the portable
// routines build and are tested natively. The Windows build uses
// Toolz_win.cpp instead.
#include "Toolz.h"

namespace ordfalk {

// One unit to one unit, as on Windows: a-z and the Latin-1 letters.
Text StrUpper(const Text& text) {
  Text upper = text;
  for (char16_t& c : upper) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) c -= 0x20;
  }
  return upper;
}

bool IsSwedishUI() { return false; }

void ShowErrorBox(WindowHandle, const Text&, const Text&) {}
void ShowInfoBox(WindowHandle, const Text&, const Text&) {}

Text AppExePath() { return Text(); }

}  // namespace ordfalk
