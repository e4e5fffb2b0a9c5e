#include <windows.h>

#include "FormToolz.h"

namespace ordfalk {

TColor SystemColor(int index) { return GetSysColor(index); }

void DrawLinePair(const PaintTarget& window, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                  bool horizontal, TColor twinColor, TColor lineColor) {
  const auto dc = static_cast<HDC>(window.canvas);
  // The stock DC pen takes a colour without creating a GDI object.
  const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
  SetDCPenColor(dc, ResolveColor(lineColor));
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
  SetDCPenColor(dc, ResolveColor(twinColor));
  const int dx = horizontal ? 0 : 1;
  const int dy = horizontal ? 1 : 0;
  MoveToEx(dc, x1 + dx, y1 + dy, nullptr);
  LineTo(dc, x2 + dx, y2 + dy);
  SelectObject(dc, oldPen);
}

}  // namespace ordfalk
