// A program under measurement, started from a folder of its own.
#pragma once

#include <windows.h>

#include <string>

namespace bench {

struct Footprint {
  double workingSetKiB = 0;
  double privateKiB = 0;  // PrivateUsage, or PagefileUsage where that is 0 (Wine)
  int windows = 0;        // top-level and child windows of the process
  DWORD userObjects = 0;  // GetGuiResources; 0 under Wine, which does not count them
  DWORD gdiObjects = 0;
  DWORD handles = 0;
};

// What Linux knows of the process under Wine (through the Z: drive).
struct UnixStat {
  bool found = false;
  long long contextSwitches = 0;  // voluntary and involuntary, all threads
  long long voluntarySwitches = 0;
  long long mainThreadSwitches = 0;  // the thread whose id is the process's
  int threads = 0;
};

class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child();

  // Starts exe with args; the NowMs just before CreateProcess, or a
  // negative value when the start failed.
  double Start(const std::wstring& exe, const std::wstring& args);
  HANDLE Process() const { return info_.hProcess; }
  bool Running() const;

  // The process's top-level window of that class, or null.
  HWND FindWindowOfClass(const wchar_t* windowClass) const;
  Footprint Measure() const;
  // User plus kernel CPU time in ms (GetProcessTimes).
  double CpuMs() const;
  UnixStat Unix();

  // Posts WM_CLOSE to mainWindow and waits up to timeoutMs for the exit;
  // the ms until the exit, or a negative value (the process is then
  // ended).
  double Close(HWND mainWindow, double timeoutMs);
  DWORD ExitCode() const;
  void Kill();

 private:
  PROCESS_INFORMATION info_{};
  std::wstring exe_;
  int unixPid_ = 0;  // 0 not looked for yet, -1 not found
};

// Icons in Wine's stand-alone notification area (one window per icon).
int TrayIconCount();

}  // namespace bench
