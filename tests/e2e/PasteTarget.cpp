#include "PasteTarget.h"

#include <cstdint>
#include <cstring>

namespace e2e {

bool PasteTarget::Start(const std::wstring& folder, bool richEdit,
                        const std::string& posixLocale) {
  report_ = JoinPath(folder, L"target-report.bin");
  DeleteFileW(report_.c_str());
  DeleteFileW((report_ + L".pastes").c_str());
  StartOptions options;
  options.arguments = L"\"" + report_ + L"\"" + (richEdit ? L" rich" : L"");
  options.posixLocale = posixLocale;
  std::wstring exe = JoinPath(ExeDir(), L"target.exe");
  if (!posixLocale.empty()) {
    const std::wstring copy = JoinPath(folder, L"target.exe");
    if (!CopyFileTo(exe, copy)) return false;
    exe = copy;
  }
  process_ = e2e::Start(exe, options);
  if (!process_) return false;
  window_ = WaitForTopWindow(process_.Id(), L"OrdfalkE2ETarget");
  if (!window_) return false;
  // The window is seen while it is still creating its edit.
  const wchar_t* editClass = richEdit ? L"RICHEDIT50W" : L"Edit";
  return WaitUntil([&] { return (edit_ = ControlOf(window_, 100, editClass)) != nullptr; }) &&
         WaitUntil([&] { return FileExists(report_); }) &&
         WaitUntil([&] { return FocusOf(window_) == edit_; });
}

bool PasteTarget::BringToFront() const {
  return e2e::BringToFront(window_) && WaitUntil([&] { return FocusOf(window_) == edit_; });
}

std::string PasteTarget::Text() const { return ReadBytes(report_); }

std::string PasteTarget::WaitForText(const std::string& expected, DWORD timeoutMs) const {
  std::string text;
  WaitUntil(
      [&] {
        text = Text();
        return text == expected;
      },
      timeoutMs);
  return text;
}

std::vector<std::string> PasteTarget::Pastes() const {
  std::vector<std::string> pastes;
  const std::string records = ReadBytes(report_ + L".pastes");
  size_t at = 0;
  while (at + sizeof(uint32_t) <= records.size()) {
    uint32_t size = 0;
    memcpy(&size, records.data() + at, sizeof size);
    at += sizeof size;
    if (at + size > records.size()) break;
    pastes.push_back(records.substr(at, size));
    at += size;
  }
  return pastes;
}

bool PasteTarget::WaitForPasteCount(size_t count, DWORD timeoutMs) const {
  return WaitUntil([&] { return Pastes().size() >= count; }, timeoutMs);
}

void PasteTarget::Clear() {
  SetTextOf(edit_, L"");
  DWORD_PTR done = 0;
  SendMessageTimeoutW(window_, WM_APP, 0, 0, SMTO_ABORTIFHUNG, 2000, &done);
  WaitUntil([&] { return Text().empty(); }, 2000);
  DeleteFileW((report_ + L".pastes").c_str());
}

}  // namespace e2e
