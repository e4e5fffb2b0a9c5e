// The least a hot-key paster can do, as the yardstick for the benchmark:
// one hidden window, one tray icon, and per hot key the clipboard, the
// attach, WM_PASTE to the focused control and the detach. Nothing else.
//   Floor.exe TEXT1 [TEXT2 ...]   (Ctrl+Alt+F5.. paste TEXT1..; the low
//   byte of each character). Keys apart from Ordfalk's, so that both can
//   run at once.
#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> texts;

void Paste(const std::string& bytes) {
  if (OpenClipboard(nullptr)) {
    EmptyClipboard();
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1)) {
      std::memcpy(GlobalLock(block), bytes.c_str(), bytes.size() + 1);
      GlobalUnlock(block);
      if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
  }
  const DWORD target = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
  if (!AttachThreadInput(GetCurrentThreadId(), target, TRUE)) return;
  SendMessageW(GetFocus(), WM_PASTE, 0, 0);
  AttachThreadInput(GetCurrentThreadId(), target, FALSE);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_HOTKEY && wParam >= 1 && wParam <= texts.size()) Paste(texts[wParam - 1]);
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  for (int i = 1; i < count && i <= 4; ++i) {
    std::string bytes;
    for (const wchar_t* c = args[i]; *c; ++c) bytes += static_cast<char>(*c & 0xFF);
    texts.push_back(bytes);
  }
  LocalFree(args);

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WndProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = L"FloorMain";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, L"FloorMain", L"Floor", WS_POPUP, 0, 0, 0, 0,
                                nullptr, nullptr, instance, nullptr);

  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON;
  icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  Shell_NotifyIconW(NIM_ADD, &icon);

  for (UINT i = 0; i < texts.size(); ++i) {
    RegisterHotKey(window, static_cast<int>(i + 1), MOD_CONTROL | MOD_ALT, VK_F5 + i);
  }

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
