// INIToolz: one string value read from or written to an INI file, each call
// standing alone. An empty file name means the settings file beside the
// executable. No failure reaches the caller as an error: a read falls back
// to the caller's default, a write answers whether it took effect.
#pragma once

#include "Toolz.h"

namespace ordfalk {

// The executable's path with its last extension replaced by ".INI" (only a
// full stop after the last backslash or colon starts an extension).
Text IniDefaultFileName(const Text& exePath);

// A default that no stored value can be, so that a caller can tell "absent"
// from any value: a line break. (The platform would strip trailing blanks
// and quotation marks from a default it copies.)
inline constexpr char16_t kIniNoValue[] = u"\n";

// The value stored under Key in Section, whole, however long; Default when
// the file, the section or the key is missing or anything goes wrong.
Text IniReadString(const Text& section, const Text& key, const Text& defaultValue,
                   const Text& fileName);

// Stores Value (an empty value stays a value). True when the file holds it
// under Key in Section afterwards, read again from the disk; also when it
// held it already and the file could not be written. False when the write
// was refused, or reported as done while the file does not show it.
bool IniWriteString(const Text& section, const Text& key, const Text& value,
                    const Text& fileName);

// Writes Value under Key in Section whatever the file holds, then has the
// platform forget its copy of the file, done or refused. True when the
// platform reports it done; whether the file holds it, only a later read
// tells (a write on a full volume can cut the file short and report success).
bool IniWriteStringUnchecked(const Text& section, const Text& key, const Text& value,
                             const Text& fileName);

// Has the platform forget its copy of the file, so that the next read or
// write starts from what the disk holds.
void IniForgetCopy(const Text& fileName);

}  // namespace ordfalk
