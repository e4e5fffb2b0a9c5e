// Painting of a push button that shows an image to the left of its caption,
// the two centred together: owner-drawn, since the common button puts an
// image at its edge instead.
#pragma once

#include <windows.h>

namespace ordfalk {

// The gap between the image and the caption, in pixels.
inline constexpr int kImageCaptionGap = 4;

// Paints the button of Item off screen and then in one copy, so it never
// flickers. The button is drawn as the window's default button.
// Image: a bitmap whose magenta pixels are transparent, or none.
void PaintImageButton(const DRAWITEMSTRUCT& item, HBITMAP image, HFONT font);

}  // namespace ordfalk
