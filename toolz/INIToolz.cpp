#include "INIToolz.h"

namespace ordfalk {

Text IniDefaultFileName(const Text& exePath) {
  const size_t last = exePath.find_last_of(u".\\:");
  if (last != Text::npos && exePath[last] == u'.') return exePath.substr(0, last) + u".INI";
  return exePath + u".INI";
}

}  // namespace ordfalk
