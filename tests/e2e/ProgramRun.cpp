#include "ProgramRun.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <algorithm>
#include <cctype>
#include <set>

namespace e2e {
namespace run {

std::vector<WORD> HotKeyOf(int slot) {
  const WORD key = static_cast<WORD>(VK_F1 + (slot - 1) % 4);
  if (slot <= 4) return {VK_CONTROL, VK_MENU, key};
  return {VK_CONTROL, VK_SHIFT, key};
}

std::string StoredForm(const std::wstring& text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (wchar_t unit : text) bytes += static_cast<char>(unit & 0xFF);
  return Hex(bytes);
}

}  // namespace run

// --- ProgramRun ----------------------------------------------------------------

namespace {

// The copies of the program this test program started, by process id.
std::set<DWORD>& OwnCopies() {
  static std::set<DWORD> ids;
  return ids;
}

// Ends every copy of the program that this test program did not start. A
// copy left running by an earlier test program (killed, or timed out)
// would turn each start into a second one, which ends at once.
void EndLeftoverCopies() {
  for (const auto& [id, image] : RunningProcesses()) {
    const size_t slash = image.find_last_of(L'\\');
    const std::wstring name = slash == std::wstring::npos ? image : image.substr(slash + 1);
    if (_wcsicmp(name.c_str(), L"Ordfalk.exe") != 0 || OwnCopies().count(id)) continue;
    Process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id),
            id)
        .Kill();
  }
}

}  // namespace

bool ProgramRun::Launch(const ProgramFolder& folder, const StartOptions& options) {
  main_ = tray_ = nullptr;
  EndLeftoverCopies();
  process_ = e2e::Start(folder.ExePath(), options);
  if (process_) OwnCopies().insert(process_.Id());
  return static_cast<bool>(process_);
}

bool ProgramRun::Start(const ProgramFolder& folder, const StartOptions& options) {
  // The windows exist, and sent messages are answered (while the tray
  // calls of start-up wait for the shell), before the texts are loaded.
  // The copy adds the hot-key atoms last: once the atom of slot 8 is there,
  // start-up is over. Atoms left by a killed copy go first.
  for (int i = 0; i < 100 && GlobalFindAtomW(kLastAtom); ++i)
    GlobalDeleteAtom(GlobalFindAtomW(kLastAtom));
  if (!Launch(folder, options)) return false;
  main_ = WaitForTopWindow(process_.Id(), kMainClass, nullptr, 30000);
  tray_ = WaitForTopWindow(process_.Id(), kTrayClass, nullptr, 30000);
  if (!main_ || !tray_) return false;
  if (!WaitUntil([] { return GlobalFindAtomW(kLastAtom) != 0; }, 60000)) return false;
  return WaitUntil([&] { return Answers(1000); }, 60000, 10);
}

HWND ProgramRun::Memo(int slot) const { return ControlOf(main_, kFirstMemoId + slot - 1, L"Edit"); }

std::wstring ProgramRun::MemoText(int slot) const { return TextOf(Memo(slot)); }

std::vector<std::wstring> ProgramRun::MemoTexts() const {
  std::vector<std::wstring> texts;
  for (int slot = 1; slot <= 8; ++slot) texts.push_back(MemoText(slot));
  return texts;
}

bool ProgramRun::SetMemoText(int slot, const std::wstring& text) const {
  // Long texts take Wine's edit control a while to lay out.
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(Memo(slot), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_NORMAL, 60000, &result) &&
         result != 0;
}

HWND ProgramRun::OkButton() const { return ControlOf(main_, kOkId, L"Button"); }

bool ProgramRun::WaitVisible(bool visible, DWORD timeoutMs) const {
  return WaitUntil([&] { return Visible() == visible; }, timeoutMs);
}

void ProgramRun::SendTrayMouse(UINT mouseMessage) const {
  AllowForeground(process_.Id());
  PostMessageW(tray_, kTrayCallback, 1, mouseMessage);
}

void ProgramRun::SendTrayEvent(UINT event) const {
  AllowForeground(process_.Id());
  SendMessageTimeoutW(tray_, kTrayCallback, MAKEWPARAM(13, 32), MAKELPARAM(event, 1),
                      SMTO_ABORTIFHUNG, 5000, nullptr);
}

// Sent rather than posted, so that the program has shown the window and
// asked for the foreground when the call returns.
bool ProgramRun::ShowFromTray() const {
  AllowForeground(process_.Id());
  SendMessageTimeoutW(tray_, kTrayCallback, 1, WM_LBUTTONDBLCLK, SMTO_ABORTIFHUNG, 5000, nullptr);
  return WaitVisible(true);
}

bool ProgramRun::DoubleClickTrayIcon(const std::wstring& tip, int button) const {
  POINT centre{};
  if (!TrayIconCentre(tray_, kTrayIconId, tip, &centre)) return false;
  AllowForeground(process_.Id());
  return ClickAt(centre, button);
}

void ProgramRun::Command(UINT id) const { PostMessageW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void ProgramRun::ClickOk() const { PostMessageW(OkButton(), BM_CLICK, 0, 0); }

void ProgramRun::Close() const { PostMessageW(main_, WM_CLOSE, 0, 0); }

bool ProgramRun::EndsCleanly(DWORD timeoutMs) const {
  return process_.WaitForExit(timeoutMs) && process_.ExitCode() == 0;
}

bool ProgramRun::Answers(DWORD timeoutMs) const {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

std::vector<HWND> ProgramRun::Boxes() const {
  std::vector<HWND> open;
  for (HWND box : TopWindows(process_.Id(), kDialogClass)) {
    if (IsWindowVisible(box)) open.push_back(box);
  }
  return open;
}

HWND ProgramRun::WaitForBox(const std::wstring& caption, DWORD timeoutMs) const {
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

size_t ProgramRun::PrivateBytes() const {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process_.Handle(),
                            reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
    return 0;
  // Wine reports another process's private bytes as its page-file usage
  // only; on Windows the two are the same.
  return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

namespace run {

std::wstring BoxText(HWND box) { return StaticTexts(box); }

void PressBoxButton(HWND box, int id) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, id)));
}

// --- INI reading ---------------------------------------------------------------

namespace {

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return text.substr(begin, end - begin);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::vector<IniSection> ParseIni(const std::string& bytes) {
  std::vector<IniSection> sections(1);  // lines before any section
  size_t at = 0;
  while (at < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", at);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = Trim(bytes.substr(at, end - at));
    at = end + (bytes.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    if (line.empty()) continue;
    if (line.front() == '[' && line.find(']') != std::string::npos) {
      sections.push_back({Trim(line.substr(1, line.find(']') - 1)), {}});
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos) {
      sections.back().lines.push_back({line, {}});
    } else {
      sections.back().lines.push_back({Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))});
    }
  }
  return sections;
}

bool IniValue(const std::vector<IniSection>& sections, const std::string& section,
              const std::string& key, std::string* value) {
  for (size_t i = 1; i < sections.size(); ++i) {
    if (!SameName(sections[i].name, section)) continue;
    for (const IniLine& line : sections[i].lines) {
      if (SameName(line.key, key)) {
        *value = line.value;
        return true;
      }
    }
    return false;
  }
  return false;
}

}  // namespace run
}  // namespace e2e
