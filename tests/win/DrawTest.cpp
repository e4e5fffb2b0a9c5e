// The etched line on a memory DC: where the etched line and its twin land, and in
// which colours, with system colours resolved at the time of the call.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "FormToolz.h"

using namespace ordfalk;

namespace {

constexpr COLORREF kBackground = RGB(10, 20, 30);

// A 32-bit DIB selected into a memory DC, so that GetPixel reads back the
// exact colours drawn.
class Surface {
 public:
  Surface(int width, int height) : width_(width), height_(height) {
    dc_ = CreateCompatibleDC(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    const RECT all{0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(kBackground);
    FillRect(dc_, &all, brush);
    DeleteObject(brush);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  ~Surface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }

  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

  // Every pixel that is not the background, with its colour.
  std::map<std::pair<int, int>, COLORREF> Drawn() const {
    std::map<std::pair<int, int>, COLORREF> drawn;
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) {
        if (At(x, y) != kBackground) drawn[{x, y}] = At(x, y);
      }
    }
    return drawn;
  }

 private:
  int width_, height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

std::map<std::pair<int, int>, COLORREF> Row(int x1, int x2, int y, COLORREF color) {
  std::map<std::pair<int, int>, COLORREF> row;
  for (int x = x1; x < x2; ++x) row[{x, y}] = color;
  return row;
}

std::map<std::pair<int, int>, COLORREF> Column(int x, int y1, int y2, COLORREF color) {
  std::map<std::pair<int, int>, COLORREF> column;
  for (int y = y1; y < y2; ++y) column[{x, y}] = color;
  return column;
}

COLORREF Shade(COLORREF color, int amount) {
  const auto limit = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
  return RGB(limit(GetRValue(color) + amount), limit(GetGValue(color) + amount),
             limit(GetBValue(color) + amount));
}

}  // namespace

TEST(DrawLinePair, HorizontalTwinLiesOnePixelBelowWithoutTheEndPoint) {
  Surface surface(64, 32);
  DrawLinePair({surface.dc(), 0}, 5, 10, 50, 10, true, RGB(255, 0, 0), RGB(0, 0, 255));
  auto expected = Row(5, 50, 10, RGB(0, 0, 255));
  const auto twin = Row(5, 50, 11, RGB(255, 0, 0));
  expected.insert(twin.begin(), twin.end());
  EXPECT_EQ(surface.Drawn(), expected);
}

TEST(DrawLinePair, VerticalTwinLiesOnePixelToTheRight) {
  Surface surface(32, 64);
  DrawLinePair({surface.dc(), 0}, 10, 5, 10, 50, false, RGB(255, 0, 0), RGB(0, 0, 255));
  auto expected = Column(10, 5, 50, RGB(0, 0, 255));
  const auto twin = Column(11, 5, 50, RGB(255, 0, 0));
  expected.insert(twin.begin(), twin.end());
  EXPECT_EQ(surface.Drawn(), expected);
}

TEST(DrawLinePair, LineColourIsTheLastArgumentAndBothAreResolved) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  struct Case {
    const char* name;
    TColor twin, line;
    COLORREF twinDrawn, lineDrawn;
  };
  const Case cases[] = {
      {"explicit", RGB(1, 2, 3), RGB(4, 5, 6), RGB(1, 2, 3), RGB(4, 5, 6)},
      // The top byte of an explicit colour means nothing here (to GDI it
      // would name a palette entry).
      {"top byte set", 0x7F000000u | RGB(1, 2, 3), 0x01000000u | RGB(4, 5, 6), RGB(1, 2, 3),
       RGB(4, 5, 6)},
      {"system colours", kSystemColorFlag | COLOR_WINDOWTEXT, kColorBtnFace,
       GetSysColor(COLOR_WINDOWTEXT), face},
  };
  for (const Case& c : cases) {
    Surface surface(16, 16);
    DrawLinePair({surface.dc(), 0}, 0, 0, 4, 0, true, c.twin, c.line);
    EXPECT_EQ(surface.At(0, 0), c.lineDrawn) << c.name;
    EXPECT_EQ(surface.At(0, 1), c.twinDrawn) << c.name;
  }
}

TEST(DrawEtchedLine, DarkLineAndLightTwinInShadesOfTheWindowColour) {
  struct Case {
    const char* name;
    TColor window;
    COLORREF dark, light;
  };
  const Case cases[] = {
      {"classic face", RGB(212, 208, 200), RGB(172, 168, 160), RGB(252, 248, 240)},
      {"240 grey", RGB(240, 240, 240), RGB(200, 200, 200), RGB(255, 255, 255)},
      {"white", RGB(255, 255, 255), RGB(215, 215, 215), RGB(255, 255, 255)},
  };
  for (const Case& c : cases) {
    Surface surface(64, 16);
    DrawEtchedLine({surface.dc(), c.window}, 2, 3, 40, 3, true, 40);
    auto expected = Row(2, 40, 3, c.dark);
    const auto twin = Row(2, 40, 4, c.light);
    expected.insert(twin.begin(), twin.end());
    EXPECT_EQ(surface.Drawn(), expected) << c.name;
  }
}

TEST(DrawEtchedLine, FormPaintCallOnTheButtonFace) {
  Surface surface(465, 465);
  DrawEtchedLine({surface.dc(), kColorBtnFace}, 24, 400, 440, 400, true, 40);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  auto expected = Row(24, 440, 400, Shade(face, -40));
  const auto twin = Row(24, 440, 401, Shade(face, 40));
  for (const auto& pixel : twin) {
    // A light shade equal to the background would not show; keep the map
    // to what is visible.
    if (pixel.second != kBackground) expected.insert(pixel);
  }
  EXPECT_EQ(surface.Drawn(), expected);
  EXPECT_EQ(surface.At(440, 400), kBackground);
  EXPECT_EQ(surface.At(23, 400), kBackground);
}

TEST(SystemColor, ButtonFaceIsResolvedAtEveryUse) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(SystemColor(COLOR_BTNFACE), face);
  EXPECT_EQ(ColorRedPart(kColorBtnFace), GetRValue(face));
  EXPECT_EQ(ColorGreenPart(kColorBtnFace), GetGValue(face));
  EXPECT_EQ(ColorBluePart(kColorBtnFace), GetBValue(face));
  EXPECT_EQ(LightenColor(kColorBtnFace, 40), Shade(face, 40));
  EXPECT_EQ(DarkenColor(kColorBtnFace, 40), Shade(face, -40));

  // A change of the system colour shows at the next use (in this test's
  // private Wine prefix; the old value is put back).
  const int element = COLOR_BTNFACE;
  const COLORREF changed = RGB(100, 150, 200);
  if (!SetSysColors(1, &element, &changed)) GTEST_SKIP() << "SetSysColors refused";
  const TColor darkAfter = DarkenColor(kColorBtnFace, 40);
  SetSysColors(1, &element, &face);
  EXPECT_EQ(darkAfter, RGB(60, 110, 160));
}
