// FormToolz: colour shading and the etched separator line.
#pragma once

#include <cstdint>

namespace ordfalk {

// A colour: with the top bit clear, red in byte 0, green in byte 1 and blue
// in byte 2; with the top bit set, the low byte names a system colour,
// resolved to its current value at every use.
using TColor = uint32_t;

inline constexpr TColor kSystemColorFlag = 0x80000000u;
inline constexpr TColor kColorBtnFace = kSystemColorFlag | 15;

// The current value of system colour Index (platform-bound).
TColor SystemColor(int index);
// The explicit colour Color stands for now: a system colour's current value,
// an explicit colour without its top byte.
TColor ResolveColor(TColor color);

uint8_t ColorRedPart(TColor color);
uint8_t ColorGreenPart(TColor color);
uint8_t ColorBluePart(TColor color);

// Each channel plus (minus) Amount, limited to 0..255; always an explicit
// colour with top byte 0.
TColor LightenColor(TColor color, int32_t amount);
TColor DarkenColor(TColor color, int32_t amount);

// The window being painted: its drawing surface (an HDC on Windows) and its
// colour setting.
struct PaintTarget {
  void* canvas;
  TColor color;
};

// Draws the line from (x1, y1) to (x2, y2) in LineColor and its twin one
// pixel below (Horizontal) or to the right in TwinColor; both colours are
// resolved at the call.
void DrawLinePair(const PaintTarget& window, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                  bool horizontal, TColor twinColor, TColor lineColor);

// A line in the window colour darkened by Amount with a twin lightened by it.
void DrawEtchedLine(const PaintTarget& window, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                    bool horizontal, int32_t amount);

}  // namespace ordfalk
