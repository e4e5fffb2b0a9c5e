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

Text IniReadString(const Text& section, const Text& key, const Text& defaultValue,
                   const Text& fileName) {
  try {
    IniFile file(fileName);
    const std::wstring wideSection = Wide(section);
    const std::wstring wideKey = Wide(key);
    // The platform strips trailing blanks and quotation marks from the
    // default it copies. Ask with a line break, which no stored value can
    // be, and give the caller's default untouched when it comes back.
    static const wchar_t kAbsent[] = L"\n";
    // The platform cuts a value that does not fit and then reports one unit
    // less than the buffer holds; grow the buffer until the value fits, so a
    // long text comes back whole.
    std::wstring buffer(2048, L'\0');
    for (;;) {
      const DWORD copied =
          GetPrivateProfileStringW(wideSection.c_str(), wideKey.c_str(), kAbsent, buffer.data(),
                                   static_cast<DWORD>(buffer.size()), file.name());
      if (copied + 1 < buffer.size()) {
        if (copied == 1 && buffer[0] == L'\n') return defaultValue;
        return FromWide(buffer.data(), copied);
      }
      buffer.assign(buffer.size() * 2, L'\0');
    }
  } catch (...) {
    return defaultValue;
  }
}

void IniWriteString(const Text& section, const Text& key, const Text& value,
                    const Text& fileName) {
  try {
    IniFile file(fileName);
    if (!WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                    file.name())) {
      file.SkipFlush();
    }
  } catch (...) {
  }
}

}  // namespace ordfalk
