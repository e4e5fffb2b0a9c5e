#include "ImageButton.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <string>

#include "SystemDll.h"

namespace ordfalk {

namespace {

// The visual styles' functions, all three or none. uxtheme.dll is not one
// of the DLLs Windows always takes from the system folder, so it is not in
// the import table, where a copy beside the program would be loaded first.
struct ThemeFunctions {
  decltype(OpenThemeData)* Open = nullptr;
  decltype(DrawThemeBackground)* DrawBackground = nullptr;
  decltype(CloseThemeData)* Close = nullptr;
};

const ThemeFunctions& Theme() {
  static const ThemeFunctions functions = [] {
    const HMODULE dll = LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    ThemeFunctions found;
    found.Open = ProcAddress<decltype(OpenThemeData)>(dll, "OpenThemeData");
    found.DrawBackground = ProcAddress<decltype(DrawThemeBackground)>(dll, "DrawThemeBackground");
    found.Close = ProcAddress<decltype(CloseThemeData)>(dll, "CloseThemeData");
    if (!found.Open || !found.DrawBackground || !found.Close) found = ThemeFunctions{};
    return found;
  }();
  return functions;
}

void PaintFrame(HWND button, HDC dc, RECT area, bool pressed) {
  const ThemeFunctions& themes = Theme();
  if (HTHEME theme = themes.Open ? themes.Open(button, L"BUTTON") : nullptr) {
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    themes.DrawBackground(theme, dc, BP_PUSHBUTTON, pressed ? PBS_PRESSED : PBS_DEFAULTED, &area,
                          nullptr);
    themes.Close(theme);
    return;
  }
  // Classic look: the default button's black outline around a push button.
  FrameRect(dc, &area, GetSysColorBrush(COLOR_WINDOWFRAME));
  InflateRect(&area, -1, -1);
  if (pressed) {
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(dc, &area, GetSysColorBrush(COLOR_BTNSHADOW));
  } else {
    DrawFrameControl(dc, &area, DFC_BUTTON, DFCS_BUTTONPUSH);
  }
}

}  // namespace

void PaintImageButton(const DRAWITEMSTRUCT& item, HBITMAP image, HFONT font) {
  const RECT area = item.rcItem;
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;

  HDC dc = CreateCompatibleDC(item.hDC);
  HBITMAP surface = CreateCompatibleBitmap(item.hDC, width, height);
  const HGDIOBJ oldSurface = SelectObject(dc, surface);
  const HGDIOBJ oldFont = SelectObject(dc, font);

  const RECT local = {0, 0, width, height};
  PaintFrame(item.hwndItem, dc, local, pressed);

  wchar_t caption[64] = {};
  const int length = GetWindowTextW(item.hwndItem, caption, static_cast<int>(std::size(caption)));
  SIZE text{};
  GetTextExtentPoint32W(dc, caption, length, &text);
  int imageWidth = 0, imageHeight = 0;
  BITMAP imageSize{};
  if (image && GetObjectW(image, sizeof imageSize, &imageSize)) {
    imageWidth = imageSize.bmWidth;
    imageHeight = imageSize.bmHeight;
  }
  const int gap = image && length > 0 ? kImageCaptionGap : 0;
  const int shift = pressed ? 1 : 0;  // pressed contents move down and right
  const int left = (width - (imageWidth + gap + text.cx)) / 2 + shift;

  if (image) {
    HDC imageDC = CreateCompatibleDC(item.hDC);
    const HGDIOBJ oldImage = SelectObject(imageDC, image);
    GdiTransparentBlt(dc, left, (height - imageHeight) / 2 + shift, imageWidth, imageHeight,
                      imageDC, 0, 0, imageWidth, imageHeight, RGB(255, 0, 255));
    SelectObject(imageDC, oldImage);
    DeleteDC(imageDC);
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(item.itemState & ODS_DISABLED ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
  RECT textArea = {left + imageWidth + gap, shift, width, height + shift};
  DrawTextW(dc, caption, length, &textArea, DT_SINGLELINE | DT_VCENTER | DT_LEFT);

  if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = local;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(dc, &focus);
  }

  BitBlt(item.hDC, area.left, area.top, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldSurface);
  DeleteObject(surface);
  DeleteDC(dc);
}

}  // namespace ordfalk
