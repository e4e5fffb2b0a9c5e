// Stand-ins for the drawing side of FormToolz in the native build: the
// shading routines are tested there with this fixed system-colour table.
#include "FormToolz.h"

namespace ordfalk {

// Windows' classic button face for index 15, black for everything else.
TColor SystemColor(int index) { return index == 15 ? 0xF0F0F0 : 0; }

void DrawLinePair(const PaintTarget&, int32_t, int32_t, int32_t, int32_t, bool, TColor, TColor) {}

}  // namespace ordfalk
