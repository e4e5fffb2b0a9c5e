#include "Desktop.h"

#include "InsideDll.h"

#include <commctrl.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace e2e {

// --- Time ------------------------------------------------------------------

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= end) return condition();
    Sleep(stepMs);
  }
}

// --- Files and folders -----------------------------------------------------

std::wstring ExeDir() {
  wchar_t path[MAX_PATH * 2];
  const DWORD n = GetModuleFileNameW(nullptr, path, ARRAYSIZE(path));
  std::wstring dir(path, n);
  return dir.substr(0, dir.find_last_of(L"\\/"));
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder + name;
  return folder + L"\\" + name;
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
  return CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::wstring MakeTempFolder(const std::wstring& tag) {
  static std::atomic<unsigned> counter{0};
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(ARRAYSIZE(temp), temp);
  wchar_t longTemp[MAX_PATH * 2];
  if (GetLongPathNameW(temp, longTemp, ARRAYSIZE(longTemp)) == 0) lstrcpynW(longTemp, temp, MAX_PATH);
  const std::wstring base = JoinPath(longTemp, L"ordfalk-e2e");
  CreateDirectoryW(base.c_str(), nullptr);
  for (;;) {
    const std::wstring folder = JoinPath(base, tag + L"-" + std::to_wstring(GetCurrentProcessId()) +
                                                   L"-" + std::to_wstring(counter++));
    if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
}

void RemoveFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(JoinPath(folder, L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = JoinPath(folder, name);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveFolder(path);
      } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

// --- Processes ---------------------------------------------------------------

Process::Process(Process&& other) noexcept : handle_(other.handle_), id_(other.id_) {
  other.handle_ = nullptr;
  other.id_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    Kill();
    if (handle_) CloseHandle(handle_);
    handle_ = other.handle_;
    id_ = other.id_;
    other.handle_ = nullptr;
    other.id_ = 0;
  }
  return *this;
}

Process::~Process() {
  Kill();
  if (handle_) CloseHandle(handle_);
}

bool Process::Running() const {
  return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD timeoutMs) const {
  return handle_ && WaitForSingleObject(handle_, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (handle_) GetExitCodeProcess(handle_, &code);
  return code;
}

void Process::Kill() {
  if (Running()) {
    TerminateProcess(handle_, 255);
    WaitForSingleObject(handle_, 3000);
  }
}

namespace {

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH * 2];
  const DWORD n = GetFullPathNameW(path.c_str(), ARRAYSIZE(full), full, nullptr);
  return n > 0 && n < ARRAYSIZE(full) ? std::wstring(full, n) : path;
}

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Wine starts a Unix program given to CreateProcessW by its Unix path, but
// hands back no usable process handle for it: the caller learns of its end
// only through files it leaves behind.
bool LaunchUnix(const std::string& commandLine) {
  std::wstring command(commandLine.begin(), commandLine.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info))
    return false;
  if (info.hProcess) CloseHandle(info.hProcess);
  if (info.hThread) CloseHandle(info.hThread);
  return true;
}

// Wine takes a process's thread locale from the Unix locale variables the
// process image starts with. A process started with CreateProcessW
// inherits the caller's Unix environment whatever the environment block
// says, so a process that must have its own locale is started from a Unix
// shell with LC_ALL set, and then looked up by its image path.
Process StartWithLocale(const std::wstring& exePath, const StartOptions& options) {
  const std::string wine = "\"${WINE:-/usr/lib/wine/wine64}\"";
  const std::string script =
      "cd " + ShellQuote(UnixPathOf(FolderOf(exePath))) + " || exit 1\n" +
      "LC_ALL=" + ShellQuote(options.posixLocale) + " LANG=" + ShellQuote(options.posixLocale) +
      " " + wine + " " + ShellQuote(Narrow(exePath)) + " " + Narrow(options.arguments) +
      " </dev/null >/dev/null 2>&1 &\n";
  if (!RunUnix(script).finished) return {};
  return FindProcessByImage(exePath, 10000);
}

}  // namespace

Process Start(const std::wstring& exePath, const StartOptions& options) {
  if (!options.posixLocale.empty()) return StartWithLocale(exePath, options);
  std::wstring command = L"\"" + exePath + L"\"";
  if (!options.arguments.empty()) command += L" " + options.arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (options.showCommand >= 0) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(options.showCommand);
  }
  PROCESS_INFORMATION info{};
  const std::wstring folder = FolderOf(exePath);
  if (!CreateProcessW(exePath.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info))
    return {};
  CloseHandle(info.hThread);
  return Process(info.hProcess, info.dwProcessId);
}

std::vector<std::pair<DWORD, std::wstring>> RunningProcesses() {
  std::vector<std::pair<DWORD, std::wstring>> processes;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return processes;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    processes.emplace_back(entry.th32ProcessID, entry.szExeFile);
  CloseHandle(snapshot);
  return processes;
}

Process FindProcessByImage(const std::wstring& exePath, DWORD timeoutMs) {
  const std::wstring wanted = FullPath(exePath);
  Process found;
  WaitUntil(
      [&] {
        for (const auto& [id, name] : RunningProcesses()) {
          HANDLE handle =
              OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
          if (!handle) continue;
          wchar_t image[MAX_PATH * 2];
          DWORD size = ARRAYSIZE(image);
          if (QueryFullProcessImageNameW(handle, 0, image, &size) &&
              _wcsicmp(FullPath(std::wstring(image, size)).c_str(), wanted.c_str()) == 0 &&
              WaitForSingleObject(handle, 0) == WAIT_TIMEOUT) {
            found = Process(handle, id);
            return true;
          }
          CloseHandle(handle);
        }
        return false;
      },
      timeoutMs, 50);
  return found;
}

// --- Windows -----------------------------------------------------------------

std::wstring ClassNameOf(HWND window) {
  wchar_t name[256];
  const int n = GetClassNameW(window, name, ARRAYSIZE(name));
  return std::wstring(name, n > 0 ? n : 0);
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 3000, &length))
    return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 3000, &got))
    return {};
  text.resize(std::min<size_t>(got, length));
  return text;
}

bool SetTextOf(HWND window, const std::wstring& text) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_ABORTIFHUNG, 3000, &result) &&
         result != 0;
}

DWORD ProcessOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

DWORD ThreadOf(HWND window) { return GetWindowThreadProcessId(window, nullptr); }

std::vector<HWND> TopWindows(DWORD processId, const std::wstring& className, const wchar_t* caption) {
  struct Query {
    DWORD processId;
    const std::wstring* className;
    const wchar_t* caption;
    std::vector<HWND> found;
  } query{processId, &className, caption, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* q = reinterpret_cast<Query*>(param);
        if (q->processId && ProcessOf(window) != q->processId) return TRUE;
        if (!q->className->empty() && ClassNameOf(window) != *q->className) return TRUE;
        if (q->caption && TextOf(window) != q->caption) return TRUE;
        q->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&query));
  return query.found;
}

HWND WaitForTopWindow(DWORD processId, const std::wstring& className, const wchar_t* caption,
                      DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        const auto windows = TopWindows(processId, className, caption);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

HWND ControlOf(HWND parent, int controlId, const std::wstring& className) {
  struct Query {
    int id;
    const std::wstring* className;
    HWND found;
  } query{controlId, &className, nullptr};
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM param) -> BOOL {
        auto* q = reinterpret_cast<Query*>(param);
        if (GetDlgCtrlID(window) != q->id) return TRUE;
        if (!q->className->empty() && _wcsicmp(ClassNameOf(window).c_str(), q->className->c_str()))
          return TRUE;
        q->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&query));
  return query.found;
}

std::wstring StaticTexts(HWND dialog) {
  std::wstring texts;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (_wcsicmp(ClassNameOf(child).c_str(), L"Static") != 0) continue;
    const std::wstring text = TextOf(child);
    if (text.empty()) continue;
    if (!texts.empty()) texts += L"\n";
    texts += text;
  }
  return texts;
}

RECT WindowRectOf(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

RECT ClientRectOnScreen(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT WorkArea() {
  RECT rect{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &rect, 0);
  return rect;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(ThreadOf(window), &info)) return nullptr;
  return info.hwndFocus;
}

void AllowForeground(DWORD processId, HWND window) {
  const DWORD own = GetCurrentThreadId();
  const DWORD front = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  const bool joined = front != 0 && front != own && AttachThreadInput(own, front, TRUE);
  AllowSetForegroundWindow(processId);
  if (window) SetForegroundWindow(window);
  if (joined) AttachThreadInput(own, front, FALSE);
}

// Under Wine the X server has a say too. With no window manager, Xvfb's
// input focus follows the pointer, and Wine makes the window that gets it
// the foreground window, so the X focus is set on the window explicitly
// (and the pointer is kept away from the windows, see ParkPointer).
bool BringToFront(HWND window, DWORD timeoutMs) {
  const auto xWindow = reinterpret_cast<UINT_PTR>(GetPropW(window, L"__wine_x11_whole_window"));
  if (xWindow && RunningUnderWine()) RunUnix("xdotool windowfocus " + std::to_string(xWindow));
  return WaitUntil(
      [&] {
        if (GetForegroundWindow() != window) {
          AllowForeground(ProcessOf(window), window);
          return false;
        }
        Sleep(100);
        return GetForegroundWindow() == window;
      },
      timeoutMs, 30);
}

namespace {

void CollectMenu(HMENU menu, std::vector<int>& path, std::vector<MenuItem>& items) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    path.push_back(i);
    wchar_t text[512];
    const int n = GetMenuStringW(menu, static_cast<UINT>(i), text, ARRAYSIZE(text), MF_BYPOSITION);
    items.push_back({path, static_cast<int>(GetMenuItemID(menu, i)), std::wstring(text, n > 0 ? n : 0)});
    if (HMENU sub = GetSubMenu(menu, i)) CollectMenu(sub, path, items);
    path.pop_back();
  }
}

std::wstring Widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), result.data(), n);
  return result;
}

// Loads menu_dump.dll into the window's process and parses what it writes.
std::vector<MenuItem> MenuItemsFromInside(HWND window) {
  std::vector<MenuItem> items;
  char head[32];
  snprintf(head, sizeof head, "%llX|",
           static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
  for (const std::string& line : ReportFromInside(window, L"menu_dump.dll", L"menus")) {
    if (line.rfind(head, 0) != 0) continue;
    const size_t pathEnd = line.find('|', strlen(head));
    const size_t idEnd = line.find('|', pathEnd + 1);
    if (pathEnd == std::string::npos || idEnd == std::string::npos) continue;
    MenuItem item;
    const std::string path = line.substr(strlen(head), pathEnd - strlen(head));
    for (size_t p = 0; p <= path.size();) {
      size_t dot = path.find('.', p);
      if (dot == std::string::npos) dot = path.size();
      item.path.push_back(atoi(path.substr(p, dot - p).c_str()));
      p = dot + 1;
    }
    item.id = atoi(line.substr(pathEnd + 1, idEnd - pathEnd - 1).c_str());
    item.text = Widen(line.substr(idEnd + 1));
    items.push_back(item);
  }
  return items;
}

const MenuItem* FindItem(const std::vector<MenuItem>& items, const std::vector<int>& path) {
  for (const MenuItem& item : items)
    if (item.path == path) return &item;
  return nullptr;
}

// Memory in another process, for messages whose parameters point to
// structures (the tooltip control's TTM_ messages) and for the path of a
// DLL loaded there.
class RemoteBuffer {
 public:
  RemoteBuffer(HANDLE process, size_t size)
      : process_(process),
        address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
  explicit operator bool() const { return address_ != nullptr; }
  void* Address() const { return address_; }
  bool Write(const void* data, size_t size, size_t offset = 0) const {
    return WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
  }
  bool Read(void* data, size_t size, size_t offset = 0) const {
    return ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
  }

 private:
  HANDLE process_;
  void* address_;
};

}  // namespace

std::wstring InsideFolder() {
  const std::wstring folder = ExchangeFolder();
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

std::vector<std::string> ReportFromInside(HWND window, const std::wstring& dllName,
                                          const std::wstring& report) {
  std::vector<std::string> lines;
  const DWORD processId = ProcessOf(window);
  const std::wstring path =
      JoinPath(InsideFolder(), report + L"-" + std::to_wstring(processId) + L".txt");
  DeleteFileW(path.c_str());
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_VM_OPERATION | PROCESS_VM_WRITE |
                                   PROCESS_VM_READ | PROCESS_QUERY_INFORMATION,
                               FALSE, processId);
  if (!process) return lines;
  {
    // A thread of that process calls LoadLibraryW with the DLL's path.
    const std::wstring dll = JoinPath(ExeDir(), dllName);
    const size_t bytes = (dll.size() + 1) * sizeof(wchar_t);
    const RemoteBuffer remote(process, bytes);
    if (remote && remote.Write(dll.c_str(), bytes)) {
      // kernel32 lies at the same address in every process of a session.
      auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
      if (HANDLE thread =
              CreateRemoteThread(process, nullptr, 0, load, remote.Address(), 0, nullptr)) {
        WaitForSingleObject(thread, 5000);
        CloseHandle(thread);
      }
    }
  }
  CloseHandle(process);
  if (!WaitUntil([&] { return FileExists(path); }, 5000)) return lines;
  const std::string text = ReadBytes(path);
  DeleteFileW(path.c_str());
  for (size_t at = 0, end; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(at, end - at));
  }
  return lines;
}

std::vector<MenuItem> MenuItemsOf(HWND window) {
  std::vector<MenuItem> items;
  if (HMENU menu = GetMenu(window)) {
    std::vector<int> path;
    CollectMenu(menu, path, items);
  }
  return items.empty() ? MenuItemsFromInside(window) : items;
}

std::wstring MenuText(const std::vector<MenuItem>& items, const std::vector<int>& path) {
  const MenuItem* item = FindItem(items, path);
  return item ? item->text : std::wstring();
}

int MenuId(const std::vector<MenuItem>& items, const std::vector<int>& path) {
  const MenuItem* item = FindItem(items, path);
  return item ? item->id : -2;
}

// --- Input -------------------------------------------------------------------

void PressKeys(const std::vector<WORD>& virtualKeys) {
  std::vector<INPUT> inputs;
  auto key = [&](WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(input);
  };
  for (WORD vk : virtualKeys) key(vk, false);
  for (auto it = virtualKeys.rbegin(); it != virtualKeys.rend(); ++it) key(*it, true);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::string MissingCapability(std::initializer_list<const char*> names) {
  const std::string report = "\n" + ReadBytes(JoinPath(ExeDir(), L"capabilities.txt"));
  for (const char* name : names) {
    const size_t line = report.rfind("\n" + std::string(name) + ": ");
    if (line != std::string::npos && report.compare(line + strlen(name) + 3, 2, "no") == 0) return name;
  }
  return {};
}

// --- Unix side (under Wine) ------------------------------------------------

namespace {

using WineUnixFileName = char*(CDECL*)(const wchar_t*);

WineUnixFileName WineUnixPathFunction() {
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  return kernel ? reinterpret_cast<WineUnixFileName>(
                      reinterpret_cast<void*>(GetProcAddress(kernel, "wine_get_unix_file_name")))
                : nullptr;
}

}  // namespace

bool RunningUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string UnixPathOf(const std::wstring& windowsPath) {
  WineUnixFileName convert = WineUnixPathFunction();
  if (!convert) return {};
  char* unixPath = convert(windowsPath.c_str());
  if (!unixPath) return {};
  std::string result = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return result;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                    0, nullptr, nullptr);
  std::string result(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), n,
                      nullptr, nullptr);
  return result;
}

// The script runs under /bin/sh with its output in a file; when it ends, a
// second file with its exit status is moved into place, which is what the
// caller waits for.
UnixResult RunUnix(const std::string& script, DWORD timeoutMs) {
  UnixResult result;
  if (!RunningUnderWine()) return result;
  const std::wstring folder = MakeTempFolder(L"unix");
  if (folder.empty()) return result;
  const std::wstring scriptPath = JoinPath(folder, L"run.sh");
  const std::wstring outputPath = JoinPath(folder, L"output");
  const std::wstring statusPath = JoinPath(folder, L"status");
  const std::string unixFolder = UnixPathOf(folder);
  const std::string wrapper = "exec >" + ShellQuote(unixFolder + "/output") + " 2>&1\n(\n" + script +
                              "\n)\necho $? >" + ShellQuote(unixFolder + "/status.new") + "\nmv " +
                              ShellQuote(unixFolder + "/status.new") + " " +
                              ShellQuote(unixFolder + "/status") + "\n";
  if (!WriteBytes(scriptPath, wrapper) ||
      !LaunchUnix("/bin/sh \"" + UnixPathOf(scriptPath) + "\"")) {
    RemoveFolder(folder);
    return result;
  }
  result.finished = WaitUntil([&] { return FileExists(statusPath); }, timeoutMs, 10);
  if (result.finished) result.exitCode = atoi(ReadBytes(statusPath).c_str());
  result.output = ReadBytes(outputPath);
  if (result.finished) RemoveFolder(folder);
  return result;
}

// --- Screen ------------------------------------------------------------------

namespace {

// A picture's header: 24 bits a pixel, top row first.
BITMAPINFOHEADER HeaderOf(const Picture& picture) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = picture.width;
  header.biHeight = -picture.height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  return header;
}

}  // namespace

Picture CaptureScreen(const RECT& area) {
  Picture picture;
  picture.width = area.right - area.left;
  picture.height = area.bottom - area.top;
  BITMAPINFO info{};
  info.bmiHeader = HeaderOf(picture);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, picture.width, picture.height, screen, area.left, area.top, SRCCOPY);
  GdiFlush();
  const auto* begin = static_cast<const BYTE*>(bits);
  if (begin) picture.pixels.assign(begin, begin + static_cast<size_t>(picture.Stride()) * picture.height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

bool SaveBitmap(const Picture& picture, const std::wstring& path) {
  const BITMAPINFOHEADER header = HeaderOf(picture);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(picture.pixels.size());
  std::ofstream out(path.c_str(), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(picture.pixels.data()), picture.pixels.size());
  return !picture.pixels.empty() && out.good();
}

std::wstring SaveScreenshot(const std::wstring& name) {
  const std::wstring folder = FullPath(JoinPath(ExeDir(), L"..\\e2e-shots"));
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = JoinPath(folder, name + L".bmp");
  const RECT all = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  return SaveBitmap(CaptureScreen(all), path) ? path : std::wstring();
}

// --- Notification area ---------------------------------------------------------

namespace {

constexpr wchar_t kWineTrayClass[] = L"__winex11_standalone_tray";

}  // namespace

std::vector<TrayIcon> TrayIcons() {
  std::vector<TrayIcon> icons;
  const auto trays = TopWindows(0, kWineTrayClass);
  if (trays.empty()) return icons;
  const HWND tray = trays.front();
  const DWORD explorer = ProcessOf(tray);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                   PROCESS_QUERY_INFORMATION,
                               FALSE, explorer);
  if (!process) return icons;
  {
    constexpr size_t kTextChars = 256;
    RemoteBuffer remote(process, sizeof(TTTOOLINFOW) + kTextChars * sizeof(wchar_t));
    if (remote) {
      for (HWND tip : TopWindows(explorer, TOOLTIPS_CLASSW)) {
        DWORD_PTR count = 0;
        SendMessageTimeoutW(tip, TTM_GETTOOLCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
        for (DWORD_PTR i = 0; i < count; ++i) {
          TTTOOLINFOW info{};
          info.cbSize = sizeof info;
          DWORD_PTR ok = 0;
          remote.Write(&info, sizeof info);
          SendMessageTimeoutW(tip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(remote.Address()),
                              SMTO_ABORTIFHUNG, 2000, &ok);
          if (!ok || !remote.Read(&info, sizeof info)) continue;
          // Each icon is a child window of the tray, and its tool is that
          // window (TTF_IDISHWND).
          const HWND iconWindow =
              (info.uFlags & TTF_IDISHWND) ? reinterpret_cast<HWND>(info.uId) : info.hwnd;
          if (GetAncestor(iconWindow, GA_ROOT) != tray || !IsWindowVisible(iconWindow)) continue;
          // Ask for the text into the buffer behind the record.
          info.lpszText = reinterpret_cast<wchar_t*>(static_cast<char*>(remote.Address()) +
                                                     sizeof(TTTOOLINFOW));
          const wchar_t empty = L'\0';
          remote.Write(&empty, sizeof empty, sizeof(TTTOOLINFOW));
          remote.Write(&info, sizeof info);
          SendMessageTimeoutW(tip, TTM_GETTEXTW, kTextChars,
                              reinterpret_cast<LPARAM>(remote.Address()), SMTO_ABORTIFHUNG, 2000,
                              nullptr);
          wchar_t text[kTextChars] = {};
          remote.Read(text, sizeof text - sizeof(wchar_t), sizeof(TTTOOLINFOW));
          const RECT rect = WindowRectOf(iconWindow);
          if (rect.right <= rect.left) continue;
          icons.push_back({text, {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}});
        }
      }
    }
  }
  CloseHandle(process);
  std::sort(icons.begin(), icons.end(), [](const TrayIcon& a, const TrayIcon& b) {
    return a.centre.y != b.centre.y ? a.centre.y < b.centre.y : a.centre.x < b.centre.x;
  });
  return icons;
}

bool FindTrayIcon(const std::wstring& tip, TrayIcon* icon, DWORD timeoutMs) {
  return WaitUntil(
      [&] {
        const auto icons = TrayIcons();
        for (auto it = icons.rbegin(); it != icons.rend(); ++it) {
          if (it->tip == tip) {
            *icon = *it;
            return true;
          }
        }
        return false;
      },
      timeoutMs, 50);
}

bool TrayIconCentre(HWND owner, UINT id, const std::wstring& tip, POINT* centre) {
  const NOTIFYICONIDENTIFIER icon{sizeof icon, owner, id, {}};
  RECT place{};
  const HRESULT result = Shell_NotifyIconGetRect(&icon, &place);
  TrayIcon found;
  const bool wine = result == E_NOTIMPL && FindTrayIcon(tip, &found);
  if (wine) place = {found.centre.x, found.centre.y, found.centre.x, found.centre.y};
  *centre = {(place.left + place.right) / 2, (place.top + place.bottom) / 2};
  return SUCCEEDED(result) || wine;
}


}  // namespace e2e
