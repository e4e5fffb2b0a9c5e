#include "FormToolz.h"

#include "Toolz.h"

namespace ordfalk {

TColor ResolveColor(TColor color) {
  const TColor value =
      (color & kSystemColorFlag) ? SystemColor(static_cast<int>(color & 0xFF)) : color;
  return value & 0xFFFFFF;
}

namespace {

// Sums are formed in 64 bits, so no amount can overflow before the limit.
TColor Shade(TColor color, int64_t amount) {
  const auto channel = [amount](uint8_t part) { return ClampInt64(part + amount, 0, 255); };
  return static_cast<TColor>(channel(ColorRedPart(color)) + channel(ColorGreenPart(color)) * 256 +
                             channel(ColorBluePart(color)) * 65536);
}

}  // namespace

uint8_t ColorRedPart(TColor color) { return ResolveColor(color) & 0xFF; }
uint8_t ColorGreenPart(TColor color) { return (ResolveColor(color) >> 8) & 0xFF; }
uint8_t ColorBluePart(TColor color) { return (ResolveColor(color) >> 16) & 0xFF; }

TColor LightenColor(TColor color, int32_t amount) { return Shade(color, amount); }
TColor DarkenColor(TColor color, int32_t amount) { return Shade(color, -int64_t{amount}); }

void DrawEtchedLine(const PaintTarget& window, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    bool horizontal, int32_t amount) {
  const TColor light = LightenColor(window.color, amount);
  const TColor dark = DarkenColor(window.color, amount);
  DrawLinePair(window, x1, y1, x2, y2, horizontal, light, dark);
}

}  // namespace ordfalk
