// Toolz routines bound to Win32: upper-casing, the language inputs, the two
// message boxes and the executable's path.
#include <windows.h>
#include <shellapi.h>

#include "Toolz.h"
#include "WinText.h"

namespace ordfalk {

Text StrUpper(const Text& text) {
  std::wstring units = Wide(text);
  if (!units.empty()) CharUpperBuffW(units.data(), static_cast<DWORD>(units.size()));
  return FromWide(units);
}

namespace {

struct LanguageInputs {
  std::vector<Text> arguments;  // after the program name
  uint32_t threadLocale = 0;
};

// Read once, at the first call, which the program makes during start-up;
// neither input changes while the process runs.
const LanguageInputs& StartupLanguageInputs() {
  static const LanguageInputs inputs = [] {
    LanguageInputs read;
    int count = 0;
    if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count)) {
      for (int i = 1; i < count; ++i) read.arguments.push_back(FromWide(argv[i], wcslen(argv[i])));
      LocalFree(argv);
    }
    read.threadLocale = GetThreadLocale();
    if (read.threadLocale == 0) read.threadLocale = 0x0409;
    return read;
  }();
  return inputs;
}

void ShowBox(WindowHandle owner, const Text& text, const Text& caption, const Text& defaultCaption,
             UINT icon) {
  const Text& shown = caption.empty() ? defaultCaption : caption;
  MessageBoxW(static_cast<HWND>(owner), Wide(text).c_str(), Wide(shown).c_str(), MB_OK | icon);
}

}  // namespace

bool IsSwedishUI() {
  const LanguageInputs& inputs = StartupLanguageInputs();
  return IsSwedishFor(inputs.arguments, inputs.threadLocale);
}

void ShowErrorBox(WindowHandle owner, const Text& text, const Text& caption) {
  ShowBox(owner, text, caption, ChooseStr(IsSwedishUI(), u"Fel", u"Error"), MB_ICONERROR);
}

void ShowInfoBox(WindowHandle owner, const Text& text, const Text& caption) {
  ShowBox(owner, text, caption, ChooseStr(IsSwedishUI(), u"Om...", u"About..."),
          MB_ICONINFORMATION);
}

Text AppExePath() {
  // The classic 261 units first; a longer path gets a larger buffer rather
  // than coming back cut, so the settings file is never looked for elsewhere.
  std::wstring buffer(MAX_PATH + 1, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size() || buffer.size() >= 32768) return FromWide(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace ordfalk
