#include "OrdfalkApp.h"

#include <gtest/gtest.h>

#include "ProgramRun.h"

namespace e2e {

const LanguageTexts kSwedish = {
    "Swedish",
    true,
    L"Ordfalk 1.0",
    L"&Arkiv",
    L"&Avsluta!\tCtrl+Q",
    L"&Hj\u00E4lp",
    L"&Om...\tF1",
    L"Om Ordfalk 1.0",
    L"Skapat av Gravelund. (",
    L"Fel",
    L"Programmet \u00E4r endast kompatibelt med ANSI-tecken.",
};

const LanguageTexts kEnglish = {
    "English",
    false,
    L"KV-Wordkite 1.0",
    L"&File",
    L"&Quit!\tCtrl+Q",
    L"&Help",
    L"&About...\tF1",
    L"About KV-Wordkite 1.0",
    L"Created by Gravelund. (",
    L"Error",
    L"This program is only compatible with ANSI chars.",
};

std::wstring BuiltProgram() { return JoinPath(ExeDir(), L"Ordfalk.exe"); }

std::wstring TrayFolder() {
  wchar_t folder[MAX_PATH];
  const DWORD n = GetEnvironmentVariableW(L"ORDFALK_TRAY_FOLDER", folder, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(folder, n) : L"C:\\ordfalk-tray";
}

ProgramFolder::ProgramFolder(const std::wstring& tag, bool trayFolder)
    : fixed_(trayFolder), folder_(trayFolder ? TrayFolder() : MakeTempFolder(tag)) {
  if (folder_.empty()) return;
  CreateDirectoryW(folder_.c_str(), nullptr);
  DeleteFileW(IniPath().c_str());  // the tray folder's, from an earlier run
  exe_ = JoinPath(folder_, L"Ordfalk.exe");
  ready_ = CopyFileTo(BuiltProgram(), exe_);
}

ProgramFolder::~ProgramFolder() {
  if (!folder_.empty() && !fixed_ && !::testing::Test::HasFailure()) RemoveFolder(folder_);
}

OrdfalkApp::OrdfalkApp() {
  if (!FileExists(BuiltProgram())) {
    ADD_FAILURE() << "Ordfalk.exe is missing beside the test program (build the Ordfalk target)";
    return;
  }
  ready_ = folder_.Ready();
  if (!ready_) ADD_FAILURE() << "could not copy Ordfalk.exe into a folder of its own";
}

OrdfalkApp::~OrdfalkApp() {
  // A box left open would keep the process from ending; killing it is the
  // clean-up of a failed test, not one of its checks. The folder goes after.
  Proc().Kill();
}

std::map<std::string, std::string> OrdfalkApp::IniMain() const {
  std::map<std::string, std::string> values;
  const std::vector<run::IniSection> sections = run::ParseIni(IniBytes());
  for (size_t i = 1; i < sections.size(); ++i) {
    if (_stricmp(sections[i].name.c_str(), "Main") != 0) continue;
    for (const run::IniLine& line : sections[i].lines) values[line.key] = line.value;
  }
  return values;
}

bool OrdfalkApp::Start(const StartOptions& options) {
  return ready_ && ProgramRun::Start(folder_, options);
}

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string hex;
  for (unsigned char b : bytes) {
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  return hex;
}

}  // namespace e2e
