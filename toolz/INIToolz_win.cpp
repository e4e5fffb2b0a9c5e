// INI access through the platform's private-profile functions.
#include <windows.h>

#include "INIToolz.h"
#include "WinText.h"

namespace ordfalk {

namespace {

// Binds a file name for the length of one call; releasing it asks the
// platform to write out its cached copy of the file.
class IniFile {
 public:
  explicit IniFile(const Text& fileName)
      : name_(Wide(fileName.empty() ? IniDefaultFileName(AppExePath()) : fileName)) {}
  IniFile(const IniFile&) = delete;
  IniFile& operator=(const IniFile&) = delete;
  ~IniFile() {
    if (flush_) WritePrivateProfileStringW(nullptr, nullptr, nullptr, name_.c_str());
  }

  const wchar_t* name() const { return name_.c_str(); }
  void SkipFlush() { flush_ = false; }

 private:
  std::wstring name_;
  bool flush_ = true;
};

}  // namespace

namespace {

// Kept apart from the value so that a caller can tell "absent" from any
// stored value: the platform strips trailing blanks and quotation marks
// from the default it copies, and a line break is something no stored value
// can be.
constexpr wchar_t kAbsent[] = L"\n";

// The value under Key in Section, whole, or kAbsent's text when the file,
// the section or the key is missing or the file cannot be read.
std::wstring ReadValue(const std::wstring& section, const std::wstring& key, const IniFile& file) {
  // The platform cuts a value that does not fit and then reports one unit
  // less than the buffer holds; grow the buffer until the value fits, so a
  // long text comes back whole.
  std::wstring buffer(2048, L'\0');
  for (;;) {
    const DWORD copied = GetPrivateProfileStringW(section.c_str(), key.c_str(), kAbsent,
                                                  buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), file.name());
    if (copied + 1 < buffer.size()) return buffer.substr(0, copied);
    buffer.assign(buffer.size() * 2, L'\0');
  }
}

}  // namespace

Text IniReadString(const Text& section, const Text& key, const Text& defaultValue,
                   const Text& fileName) {
  try {
    const IniFile file(fileName);
    const std::wstring value = ReadValue(Wide(section), Wide(key), file);
    if (value == kAbsent) return defaultValue;
    return FromWide(value);
  } catch (...) {
    return defaultValue;
  }
}

bool IniWriteString(const Text& section, const Text& key, const Text& value,
                    const Text& fileName) {
  try {
    IniFile file(fileName);
    const std::wstring wideSection = Wide(section);
    const std::wstring wideKey = Wide(key);
    const std::wstring wideValue = Wide(value);
    // A write that would change nothing is not tried: a file kept read-only
    // on purpose, or held by a program that lets others read it, already
    // holds what the caller asks for.
    if (ReadValue(wideSection, wideKey, file) == wideValue) {
      file.SkipFlush();
      return true;
    }
    if (!WritePrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), wideValue.c_str(),
                                    file.name())) {
      file.SkipFlush();
      return false;
    }
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace ordfalk
