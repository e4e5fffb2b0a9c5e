#include "RunningProgram.h"

#include <shellapi.h>

#include <vector>

namespace ordfalk::testing {

std::wstring programPath;
std::wstring screenshotFolder;

namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\Desktop";
constexpr UINT kTrayCallback = WM_APP + 1;

template <typename Condition>
bool WaitFor(Condition condition, DWORD milliseconds) {
  const ULONGLONG end = GetTickCount64() + milliseconds;
  while (!condition()) {
    if (GetTickCount64() >= end) return false;
    Sleep(50);
  }
  return true;
}

std::wstring NewTempFolder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  for (unsigned n = GetTickCount();; ++n) {
    std::wstring folder = std::wstring(base) + L"ordfalk-test-" + std::to_wstring(n);
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
}

void RemoveFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW((folder + L"\\" + found.cFileName).c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

LogPixelsSetting::LogPixelsSetting(DWORD dpi) {
  DWORD size = sizeof oldValue_;
  hadValue_ = RegGetValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", RRF_RT_REG_DWORD,
                           nullptr, &oldValue_, &size) == ERROR_SUCCESS;
  RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
}

LogPixelsSetting::~LogPixelsSetting() {
  if (hadValue_) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels", REG_DWORD, &oldValue_,
                    sizeof oldValue_);
  } else {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kDesktopKey, L"LogPixels");
  }
}

HWND FindProcessWindow(DWORD process, const wchar_t* className) {
  struct Search {
    DWORD process;
    const wchar_t* className;
    HWND found;
  } search{process, className, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t name[64] = L"";
        GetClassNameW(window, name, 64);
        if (owner != s.process || lstrcmpW(name, s.className) != 0) return TRUE;
        s.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

RunningProgram::RunningProgram(const std::wstring& arguments) {
  folder_ = NewTempFolder();
  const std::wstring exe = folder_ + L"\\Ordfalk.exe";
  if (folder_.empty() || !CopyFileW(programPath.c_str(), exe.c_str(), TRUE)) return;

  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder_.c_str(), &startup, &process_)) {
    process_ = {};
    return;
  }
  const DWORD id = process_.dwProcessId;
  // The tray icon window is made after the main window.
  WaitFor([&] { return (trayWindow_ = FindProcessWindow(id, L"TTrayIconMain")) != nullptr; },
          15000);
  mainWindow_ = FindProcessWindow(id, L"TfrmMain");
}

RunningProgram::~RunningProgram() {
  if (process_.hProcess) {
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      Close();
      if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
      }
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  if (!folder_.empty()) RemoveFolder(folder_);
}

bool RunningProgram::ShowMainWindow() {
  if (!Started()) return false;
  PostMessageW(trayWindow_, kTrayCallback, 1, WM_LBUTTONDBLCLK);
  return WaitFor([&] { return IsWindowVisible(mainWindow_) != FALSE; }, 10000);
}

int RunningProgram::Close() {
  if (!process_.hProcess) return -1;
  if (mainWindow_) PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, 10000) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  return static_cast<int>(code);
}

}  // namespace ordfalk::testing
