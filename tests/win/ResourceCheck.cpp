// Loads every resource of resources/Ordfalk.rc from its own .exe, the way the
// program does, and reports what is missing or wrong. Exit code 0 when all is
// well. Run by ctest in the Windows build.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "resource.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s  %s\n", ok ? "ok  " : "FAIL", what);
  if (!ok) ++failures;
}

// Which image of an icon group the system picks for a size, and the width
// stored in that image. LoadImageW would quietly stretch a neighbouring size,
// so only this shows whether the size itself is in the file.
int StoredIconWidth(int id, int size) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC group = FindResourceW(self, MAKEINTRESOURCEW(id), RT_GROUP_ICON);
  if (!group) return -1;
  auto* dir = static_cast<BYTE*>(LockResource(LoadResource(self, group)));
  int entry = LookupIconIdFromDirectoryEx(dir, TRUE, size, size, LR_DEFAULTCOLOR);
  HRSRC icon = FindResourceW(self, MAKEINTRESOURCEW(entry), RT_ICON);
  if (!icon) return -1;
  auto* header = static_cast<BITMAPINFOHEADER*>(LockResource(LoadResource(self, icon)));
  if (header->biBitCount != 4) return -2;
  return header->biWidth;
}

bool IconLoads(int id, int size) {
  HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, 0));
  if (!icon) return false;
  ICONINFO info{};
  bool ok = GetIconInfo(icon, &info) && info.hbmMask;
  BITMAP bm{};
  if (ok) ok = GetObjectW(info.hbmMask, sizeof bm, &bm) && bm.bmWidth == size;
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DestroyIcon(icon);
  return ok;
}

// Draws the OK image onto white as the OK button does, magenta being
// transparent: the magenta background must vanish, the tick must stay.
void CheckOkImage() {
  HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(
      GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_OK), IMAGE_BITMAP, 0, 0, 0));
  Check(bitmap != nullptr, "IDB_OK loads as a bitmap");
  if (!bitmap) return;
  BITMAP bm{};
  GetObjectW(bitmap, sizeof bm, &bm);
  Check(bm.bmWidth == 16 && bm.bmHeight == 16, "IDB_OK is 16 x 16");

  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(dc, canvas);
  RECT all{0, 0, 16, 16};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  HDC imageDC = CreateCompatibleDC(screen);
  HGDIOBJ oldImage = SelectObject(imageDC, bitmap);
  Check(GdiTransparentBlt(dc, 0, 0, 16, 16, imageDC, 0, 0, 16, 16, RGB(255, 0, 255)) != FALSE,
        "IDB_OK draws with magenta as its transparent colour");
  SelectObject(imageDC, oldImage);
  DeleteDC(imageDC);
  int magenta = 0, tick = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      COLORREF c = GetPixel(dc, x, y);
      if (c == RGB(255, 0, 255)) ++magenta;
      if (c == RGB(0, 255, 0)) ++tick;
    }
  Check(GetPixel(dc, 0, 15) == RGB(255, 255, 255), "bottom-left pixel drawn transparent");
  Check(magenta == 0, "no magenta left after masked drawing");
  Check(tick > 20, "the bright green tick is drawn");
  SelectObject(dc, old);
  DeleteObject(canvas);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DeleteObject(bitmap);
}

void CheckVersionText(const wchar_t* block, const wchar_t* name, const wchar_t* want) {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  DWORD size = GetFileVersionInfoSizeW(path, nullptr);
  static BYTE data[8192];
  bool ok = size > 0 && size <= sizeof data && GetFileVersionInfoW(path, 0, sizeof data, data);
  wchar_t query[128];
  std::swprintf(query, 128, L"\\StringFileInfo\\%ls\\%ls", block, name);
  void* value = nullptr;
  UINT length = 0;
  ok = ok && VerQueryValueW(data, query, &value, &length) &&
       std::wcscmp(static_cast<wchar_t*>(value), want) == 0;
  char what[200];
  std::snprintf(what, sizeof what, "version %ls %ls", block, name);
  Check(ok, what);
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX init{sizeof init, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&init);

  struct IconCase {
    int id;
    int size;
    const char* what;
  };
  const IconCase icons[] = {
      {IDI_ORDFALK, 16, "IDI_ORDFALK holds a 16 x 16 4-bit image"},
      {IDI_ORDFALK, 32, "IDI_ORDFALK holds a 32 x 32 4-bit image"},
      {IDI_ORDFALK, 48, "IDI_ORDFALK holds a 48 x 48 4-bit image"},
      {IDI_TRAY, 16, "IDI_TRAY holds a 16 x 16 4-bit image"},
  };
  for (const IconCase& c : icons) {
    Check(StoredIconWidth(c.id, c.size) == c.size, c.what);
    Check(IconLoads(c.id, c.size), "  ... and LoadImageW gives an icon with a mask at that size");
  }

  CheckOkImage();

  HRSRC manifest = FindResourceW(nullptr, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  Check(manifest, "manifest embedded as RT_MANIFEST 1");
  // What the manifest declares, read from its text: Wine 8 reports
  // per-monitor awareness whatever a manifest says.
  const std::string text =
      manifest ? std::string(static_cast<const char*>(LockResource(LoadResource(nullptr, manifest))),
                             SizeofResource(nullptr, manifest))
               : std::string();
  struct ManifestCase {
    const char* text;
    const char* what;
  };
  const ManifestCase declarations[] = {
      {">PerMonitorV2, PerMonitor</dpiAwareness>",
       "manifest: per-monitor DPI awareness v2, then v1 (Windows 10 1607 on)"},
      {">true/pm</dpiAware>", "manifest: per-monitor DPI awareness (Windows 8.1)"},
  };
  for (const ManifestCase& c : declarations) Check(text.find(c.text) != std::string::npos, c.what);
  // The manifest's Common Controls dependency decides which comctl32 is
  // loaded: version 6 comes from the side-by-side store (WinSxS), version 5
  // from the system folder. Wine's side-by-side copy reports 5.81 in
  // DllGetVersion, so the folder is what tells them apart there.
  wchar_t where[MAX_PATH] = L"";
  if (HMODULE comctl = GetModuleHandleW(L"comctl32.dll")) GetModuleFileNameW(comctl, where, MAX_PATH);
  CharLowerW(where);
  Check(std::wcsstr(where, L"\\winsxs\\") != nullptr, "Common Controls version 6 is active");

  struct TextCase {
    const wchar_t* block;
    const wchar_t* name;
    const wchar_t* want;
  };
  const TextCase texts[] = {
      {L"040904B0", L"FileDescription", L"Ordfalk \u2013 text hot keys"},
      {L"040904B0", L"ProductName", L"Ordfalk"},
      {L"041D04B0", L"FileDescription", L"Ordfalk \u2013 snabbtexter"},
      {L"041D04B0", L"ProductVersion", L"1.0"},
      {L"041D04B0", L"OriginalFilename", L"Ordfalk.exe"},
      {L"041D04B0", L"LegalCopyright", L"Copyright (C) Gravelund"},
  };
  for (const TextCase& t : texts) CheckVersionText(t.block, t.name, t.want);

  std::printf("%d failure(s)\n", failures);
  return failures == 0 ? 0 : 1;
}
