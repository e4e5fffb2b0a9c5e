#include "OrdfalkApp.h"

#include <gtest/gtest.h>

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

namespace {

constexpr wchar_t kLastAtom[] = L"[CTRL+SHIFT+F4]";

}  // namespace

std::wstring BuiltProgram() { return JoinPath(ExeDir(), L"Ordfalk.exe"); }

ProgramFolder::ProgramFolder(const std::wstring& tag) : folder_(MakeTempFolder(tag)) {
  if (folder_.empty()) return;
  exe_ = JoinPath(folder_, L"Ordfalk.exe");
  ready_ = CopyFileTo(BuiltProgram(), exe_);
}

ProgramFolder::~ProgramFolder() {
  if (!folder_.empty() && !::testing::Test::HasFailure()) RemoveFolder(folder_);
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
  process_.Kill();
}

std::map<std::string, std::string> OrdfalkApp::IniMain() const {
  std::map<std::string, std::string> values;
  const std::string text = IniBytes();
  bool inMain = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() == '[') {
      inMain = _stricmp(line.c_str(), "[Main]") == 0;
      continue;
    }
    const size_t equals = line.find('=');
    if (inMain && equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
  }
  return values;
}

bool OrdfalkApp::Start(const StartOptions& options) {
  if (!ready_) return false;
  // The last step of start-up adds the global atom of the last hot key.
  // When no other copy holds it yet, its appearance says that start-up is
  // nearly over; then an answer to a sent message says that the message
  // loop runs. (Before that atom, an answer says nothing: the program
  // answers sent messages while it waits for the shell during start-up.)
  const bool atomIsNew = GlobalFindAtomW(kLastAtom) == 0;
  process_ = e2e::Start(ExePath(), options);
  if (!process_) return false;
  main_ = WaitForTopWindow(process_.Id(), kMainClass);
  tray_ = WaitForTopWindow(process_.Id(), kTrayClass);
  if (!main_ || !tray_) return false;
  if (atomIsNew && !WaitUntil([] { return GlobalFindAtomW(kLastAtom) != 0; })) return false;
  WaitForInputIdle(process_.Handle(), 5000);
  return SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr) != 0;
}

HWND OrdfalkApp::Memo(int slot) const { return ControlOf(main_, kFirstMemoId + slot - 1, L"Edit"); }

std::wstring OrdfalkApp::MemoText(int slot) const { return TextOf(Memo(slot)); }

bool OrdfalkApp::SetMemoText(int slot, const std::wstring& text) const {
  return SetTextOf(Memo(slot), text);
}

HWND OrdfalkApp::OkButton() const { return ControlOf(main_, kOkId, L"Button"); }

bool OrdfalkApp::WaitVisible(bool visible, DWORD timeoutMs) const {
  return WaitUntil([&] { return Visible() == visible; }, timeoutMs);
}

void OrdfalkApp::SendTrayMouse(UINT mouseMessage) const {
  PostMessageW(tray_, kTrayCallback, 1, mouseMessage);
}

// Sent rather than posted, so that the program has shown the window and
// asked for the foreground when the call returns.
bool OrdfalkApp::ShowFromTray() const {
  SendMessageTimeoutW(tray_, kTrayCallback, 1, WM_LBUTTONDBLCLK, SMTO_ABORTIFHUNG, 5000, nullptr);
  return WaitVisible(true);
}

bool OrdfalkApp::DoubleClickTrayIcon(const std::wstring& tip, int button) const {
  TrayIcon icon;
  return FindTrayIcon(tip, &icon) && DoubleClickAt(icon.centre, button);
}

void OrdfalkApp::Command(UINT id) const { PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void OrdfalkApp::ClickOk() const { PostMessageW(OkButton(), BM_CLICK, 0, 0); }

void OrdfalkApp::Close() const { PostMessageW(main_, WM_CLOSE, 0, 0); }

HWND OrdfalkApp::WaitForBox(const std::wstring& caption, DWORD timeoutMs) const {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        for (HWND window : TopWindows(process_.Id(), kDialogClass, caption.c_str())) {
          if (IsWindowVisible(window)) {
            box = window;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return box;
}

bool OrdfalkApp::EndsCleanly(DWORD timeoutMs) const {
  return process_.WaitForExit(timeoutMs) && process_.ExitCode() == 0;
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
