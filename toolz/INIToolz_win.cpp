// INI access through the platform's private-profile functions.
#include <windows.h>

#include "INIToolz.h"
#include "WinText.h"

namespace ordfalk {

namespace {

// The file name of one call: the settings file beside the executable when
// the caller gives none.
std::wstring FileNameOf(const Text& fileName) {
  return Wide(fileName.empty() ? IniDefaultFileName(AppExePath()) : fileName);
}

// Asks the platform to write out its cached copy of the file and to forget
// it, so that the next read or write starts from the disk. Documented as
// always answering FALSE. The copy is known by the file's time of last
// write, which two writes within the same tick of the clock share: a write
// from it would put back what another program wrote since.
void FlushFile(const std::wstring& file) {
  WritePrivateProfileStringW(nullptr, nullptr, nullptr, file.c_str());
}

// Writes, and forgets the copy, done or refused.
bool WriteValue(const std::wstring& section, const std::wstring& key, const std::wstring& value,
                const std::wstring& file) {
  const bool written =
      WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
  FlushFile(file);
  return written;
}

const std::wstring kAbsent = Wide(kIniNoValue);

// The value under Key in Section, whole, or kAbsent when the file, the
// section or the key is missing or the file cannot be read.
std::wstring ReadValue(const std::wstring& section, const std::wstring& key,
                       const std::wstring& file) {
  // The platform cuts a value that does not fit and then reports one unit
  // less than the buffer holds; grow the buffer until the value fits, so a
  // long text comes back whole.
  std::wstring buffer(2048, L'\0');
  for (;;) {
    const DWORD copied = GetPrivateProfileStringW(section.c_str(), key.c_str(), kAbsent.c_str(),
                                                  buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), file.c_str());
    if (copied + 1 < buffer.size()) return buffer.substr(0, copied);
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

}  // namespace

Text IniReadString(const Text& section, const Text& key, const Text& defaultValue,
                   const Text& fileName) {
  try {
    const std::wstring value = ReadValue(Wide(section), Wide(key), FileNameOf(fileName));
    if (value == kAbsent) return defaultValue;
    return FromWide(value);
  } catch (...) {
    return defaultValue;
  }
}

bool IniWriteString(const Text& section, const Text& key, const Text& value,
                    const Text& fileName) {
  try {
    // A write that would change nothing is not tried: a file kept read-only
    // on purpose, or held by a program that lets others read it, already
    // holds what the caller asks for.
    const std::wstring file = FileNameOf(fileName);
    const std::wstring wideSection = Wide(section);
    const std::wstring wideKey = Wide(key);
    const std::wstring wideValue = Wide(value);
    if (ReadValue(wideSection, wideKey, file) == wideValue) return true;
    // Done or refused, the platform's copy goes, so that the read below sees
    // what the disk holds and not a value that never reached it.
    const bool written = WriteValue(wideSection, wideKey, wideValue, file);
    // A write reported as done may still be missing from the disk: a full
    // volume cuts the file short, and the writer need not say so. Only the
    // file, read again, tells.
    return written && ReadValue(wideSection, wideKey, file) == wideValue;
  } catch (...) {
    return false;
  }
}

bool IniWriteStringUnchecked(const Text& section, const Text& key, const Text& value,
                             const Text& fileName) {
  try {
    return WriteValue(Wide(section), Wide(key), Wide(value), FileNameOf(fileName));
  } catch (...) {
    return false;
  }
}

void IniForgetCopy(const Text& fileName) {
  try {
    FlushFile(FileNameOf(fileName));
  } catch (...) {
  }
}

}  // namespace ordfalk
