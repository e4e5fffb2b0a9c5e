// What the fault and hostile-input tests add to the harness of OrdfalkApp.h:
// start options, the hot keys, the stored form of a text, message boxes and
// a reader of INI files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Desktop.h"
#include "OrdfalkApp.h"

namespace e2e {
namespace run {

// Start options with these command-line arguments.
inline StartOptions WithArguments(const std::wstring& arguments) {
  StartOptions options;
  options.arguments = arguments;
  return options;
}

// The hot key of slot 1..8, as the keys a user holds.
std::vector<WORD> HotKeyOf(int slot);

// The stored form of a memo text: the low byte of each unit, in hex.
std::string StoredForm(const std::wstring& text);

// The text of a message box, and its OK (or another) button pressed.
std::wstring BoxText(HWND box);
void PressBoxButton(HWND box, int id);
inline void PressBoxOk(HWND box) { PressBoxButton(box, IDOK); }

// Reads an INI file the way a person would: sections in order, each with
// its key=value lines, for checking what the program left in a file.
struct IniLine {
  std::string key;
  std::string value;
};
struct IniSection {
  std::string name;
  std::vector<IniLine> lines;
};
std::vector<IniSection> ParseIni(const std::string& bytes);
// The value of Key in the first section Name, comparing names without case.
bool IniValue(const std::vector<IniSection>& sections, const std::string& section,
              const std::string& key, std::string* value);

}  // namespace run
}  // namespace e2e
