#include "ui/win32/GlyphButton.h"

#include <algorithm>

#include "ui/FrameDesign.h"
#include "ui/win32/GdiHandles.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

ARGB Argb(FrameDesign::TRgb rgb, int alpha) {
  return (static_cast<ARGB>(alpha) << 24) | (ARGB{rgb.R} << 16) | (ARGB{rgb.G} << 8) | rgb.B;
}

}  // namespace

void TGlyphButton::Paint(GpGraphics* graphics) const {
  if (!Visible) return;
  using namespace FrameDesign;
  const bool active = Enabled && (Hovered || Pressed);
  if (active) {
    GpSolidFill* fill = nullptr;
    GdipCreateSolidFill(Argb({0, 0, 0}, kHoverShadeOpacity), &fill);
    ui_win32::UniqueGPBrush shade(fill);
    GdipFillRectangleI(graphics, fill, Bounds.left, Bounds.top, Width(), Height());
  }

  const ARGB colour = !Enabled ? Argb(kDisabledGlyphColour, kDisabledGlyphOpacity)
                      : active ? Argb(kGlyphColour, 255)
                               : Argb(kGlyphColour, std::clamp(GlyphOpacity, 0, 255));
  GpPen* rawPen = nullptr;
  GdipCreatePen1(colour, 1.0f, UnitPixel, &rawPen);
  ui_win32::UniqueGPPen pen(rawPen);

  // The symbols sit centred in a square of the glyph size: the close cross
  // fills it, the others take the lighter weight of a window-frame symbol.
  // GDI+ puts pixel centres on whole coordinates, so one-pixel lines on
  // whole numbers fall exactly on the device pixels.
  const int full = std::max(GlyphSize, 3);
  const int side = Glyph == gkClose ? full : std::max(3, full * 5 / 8);
  const int left = Bounds.left + (Width() - side) / 2;
  const int top = Bounds.top + (Height() - side) / 2;
  const int right = left + side - 1;
  const int bottom = top + side - 1;

  SmoothingMode previous = SmoothingModeDefault;
  GdipGetSmoothingMode(graphics, &previous);
  GdipSetSmoothingMode(graphics, Glyph == gkClose ? SmoothingModeAntiAlias : SmoothingModeNone);
  switch (Glyph) {
    case gkClose:
      GdipDrawLineI(graphics, pen.get(), left, top, right, bottom);
      GdipDrawLineI(graphics, pen.get(), right, top, left, bottom);
      break;
    case gkMinimize: {
      const int y = top + side / 2;
      GdipDrawLineI(graphics, pen.get(), left, y, right, y);
      break;
    }
    case gkMaximize:
      GdipDrawRectangleI(graphics, pen.get(), left, top, side - 1, side - 1);
      break;
    case gkRestore: {
      const int shift = std::max(2, side / 4);
      const int frontRight = right - shift;
      const int frontTop = top + shift;
      GdipDrawRectangleI(graphics, pen.get(), left, frontTop, frontRight - left, bottom - frontTop);
      // The window behind shows only where the front one does not cover it.
      const int backLeft = left + shift;
      const int backBottom = bottom - shift;
      GdipDrawLineI(graphics, pen.get(), backLeft, top, right, top);
      GdipDrawLineI(graphics, pen.get(), right, top, right, backBottom);
      GdipDrawLineI(graphics, pen.get(), backLeft, top, backLeft, frontTop);
      GdipDrawLineI(graphics, pen.get(), frontRight, backBottom, right, backBottom);
      break;
    }
  }
  GdipSetSmoothingMode(graphics, previous);
}
