#include "Child.h"

#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <string>
#include <utility>

#include "Clock.h"
#include "FileBytes.h"

namespace bench {

namespace {

long long FieldOf(const std::string& status, const char* name) {
  const size_t at = status.find(name);
  return at == std::string::npos ? 0 : std::atoll(status.c_str() + at + std::strlen(name));
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

struct WindowCount {
  DWORD process;
  int count;
};

BOOL CALLBACK CountChild(HWND, LPARAM data) {
  ++reinterpret_cast<WindowCount*>(data)->count;
  return TRUE;
}

BOOL CALLBACK CountTop(HWND window, LPARAM data) {
  auto* counting = reinterpret_cast<WindowCount*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == counting->process) {
    ++counting->count;
    EnumChildWindows(window, CountChild, data);
  }
  return TRUE;
}

struct WindowSearch {
  DWORD process;
  const wchar_t* windowClass;
  HWND found;
};

BOOL CALLBACK FindTop(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<WindowSearch*>(data);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (process == search->process && lstrcmpW(name, search->windowClass) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

Child::~Child() { Kill(); }

double Child::Start(const std::wstring& exe, const std::wstring& args) {
  Kill();
  exe_ = exe;
  unixPid_ = 0;
  std::wstring commandLine = L"\"" + exe + L"\" " + args;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  const double started = NowMs();
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info_)) {
    info_ = {};
    return -1;
  }
  return started;
}

bool Child::Running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

HWND Child::FindWindowOfClass(const wchar_t* windowClass) const {
  WindowSearch search{info_.dwProcessId, windowClass, nullptr};
  EnumWindows(FindTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

Footprint Child::Measure() const {
  Footprint footprint;
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(info_.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters)) {
    footprint.workingSetKiB = static_cast<double>(counters.WorkingSetSize) / 1024;
    const SIZE_T privateBytes = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
    footprint.privateKiB = static_cast<double>(privateBytes) / 1024;
  }
  WindowCount counting{info_.dwProcessId, 0};
  EnumWindows(CountTop, reinterpret_cast<LPARAM>(&counting));
  footprint.windows = counting.count;
  footprint.userObjects = GetGuiResources(info_.hProcess, GR_USEROBJECTS);
  footprint.gdiObjects = GetGuiResources(info_.hProcess, GR_GDIOBJECTS);
  GetProcessHandleCount(info_.hProcess, &footprint.handles);
  return footprint;
}

double Child::CpuMs() const {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(info_.hProcess, &created, &ended, &kernel, &user)) return -1;
  auto ticks = [](FILETIME time) {
    return static_cast<double>((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime);
  };
  return (ticks(kernel) + ticks(user)) / 10000.0;
}

UnixStat Child::Unix() {
  UnixStat stat;
  if (unixPid_ == 0) {
    // Wine gives each process the Windows command line as its Linux one.
    unixPid_ = -1;
    const std::wstring wanted = Lower(exe_);
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return stat;
    do {
      if (!std::iswdigit(entry.cFileName[0])) continue;
      std::string raw = file_bytes::ReadBytes(std::wstring(L"Z:\\proc\\") + entry.cFileName + L"\\cmdline");
      std::replace(raw.begin(), raw.end(), '\0', ' ');
      if (Lower(std::wstring(raw.begin(), raw.end())).find(wanted) != std::wstring::npos) {
        unixPid_ = _wtoi(entry.cFileName);
        break;
      }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  if (unixPid_ <= 0) return stat;
  const std::wstring tasks = L"Z:\\proc\\" + std::to_wstring(unixPid_) + L"\\task\\";
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((tasks + L"*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return stat;
  do {
    if (!std::iswdigit(entry.cFileName[0])) continue;
    const std::string status = file_bytes::ReadBytes(tasks + entry.cFileName + L"\\status");
    const long long voluntary = FieldOf(status, "\nvoluntary_ctxt_switches:");
    stat.voluntarySwitches += voluntary;
    const long long all = voluntary + FieldOf(status, "nonvoluntary_ctxt_switches:");
    stat.contextSwitches += all;
    if (_wtoi(entry.cFileName) == unixPid_) stat.mainThreadSwitches = all;
    ++stat.threads;
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  stat.found = stat.threads > 0;
  return stat;
}

double Child::Close(HWND mainWindow, double timeoutMs) {
  if (!info_.hProcess) return -1;
  const double asked = NowMs();
  PostMessageW(mainWindow, WM_CLOSE, 0, 0);
  // Messages are handled meanwhile: an ending program may send some to the
  // windows it was attached to, and waits for the answer.
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const double left = asked + timeoutMs - NowMs();
    if (left <= 0) break;
    if (MsgWaitForMultipleObjects(1, &info_.hProcess, FALSE, static_cast<DWORD>(left) + 1,
                                  QS_ALLINPUT) == WAIT_OBJECT_0) {
      return NowMs() - asked;
    }
  }
  Kill();
  return -1;
}

DWORD Child::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void Child::Kill() {
  if (!info_.hProcess) return;
  if (Running()) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
  info_ = {};
}

int TrayIconCount() {
  int count = 0;
  HWND tray = nullptr;
  while ((tray = FindWindowExW(nullptr, tray, L"__winex11_standalone_tray", nullptr)) != nullptr) {
    HWND icon = nullptr;
    while ((icon = FindWindowExW(tray, icon, L"__winex11_tray_icon", nullptr)) != nullptr) ++count;
  }
  return count;
}

}  // namespace bench
