// How the frame draws itself: background, border, caption bar, pictures,
// buttons and title, then the derived window's content.
#include <cwchar>

#include "ui/FrameDesign.h"
#include "ui/win32/Fonts.h"
#include "ui/win32/untZelvarForm.h"

using namespace FrameDesign;
using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

COLORREF Colour(TRgb rgb) {
  return RGB(rgb.R, rgb.G, rgb.B);
}

ARGB Opaque(TRgb rgb) {
  return 0xFF000000u | (ARGB{rgb.R} << 16) | (ARGB{rgb.G} << 8) | rgb.B;
}

void Fill(GpGraphics* graphics, ARGB colour, const RECT& r) {
  GpSolidFill* raw = nullptr;
  GdipCreateSolidFill(colour, &raw);
  const ui_win32::UniqueGPBrush brush(raw);
  GdipFillRectangleI(graphics, brush.get(), r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// A picture at its own size, pixel for pixel, vertically centred in `box`.
void DrawPicture(GpGraphics* graphics, const TFrameImage& image, bool centre) {
  if (!image.Visible || !image.Drawn || !image.Picture) return;
  const int width = image.Picture->Width();
  const int height = image.Picture->Height();
  const int top = centre ? image.Bounds.top + (image.Height() - height) / 2 : image.Bounds.top;
  GdipDrawImageRectI(graphics, image.Drawn.get(), image.Bounds.left, top, width, height);
}

}  // namespace

HFONT TZelvarForm::CaptionFont() {
  if (!captionFont_ || captionFontHeight_ != FormCaption.FontHeight) {
    captionFont_ = FrameFont(FormCaption.FontHeight);
    captionFontHeight_ = FormCaption.FontHeight;
  }
  return captionFont_.get();
}

std::wstring TZelvarForm::ShownCaption() const {
  // Drawn into a bitmap of one pixel: only the cut text is wanted.
  TAlphaBitmap scratch;
  InitAlphaBitmap(scratch, 1, 1);
  std::wstring text = FormCaption.Text;
  text.append(4, L'\0');  // DT_MODIFYSTRING may write the ellipsis past the end
  RECT box{0, 0, FormCaption.Width(), FormCaption.Height()};
  ui_win32::UniqueFont font = FrameFont(FormCaption.FontHeight);
  ui_win32::SelectedObject selected(scratch.Canvas(), font.get());
  DrawTextW(scratch.Canvas(), text.data(), -1, &box,
            DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_MODIFYSTRING);
  text.resize(wcslen(text.c_str()));
  return text;
}

void TZelvarForm::PaintTo(HDC dc) {
  RECT client{};
  GetClientRect(window_, &client);
  const int width = client.right, height = client.bottom;
  if (width <= 0 || height <= 0) return;
  TAlphaBitmap buffer;
  InitAlphaBitmap(buffer, width, height);
  if (!buffer.Canvas()) return;

  {
    GpGraphics* raw = nullptr;
    GdipCreateFromHDC(buffer.Canvas(), &raw);
    ui_win32::UniqueGPGraphics graphics(raw);
    if (graphics) {
      Fill(raw, Opaque(kBackground), client);
      const TRgb border = StyledForm.Active() ? kActiveBorder : kInactiveBorder;
      Fill(raw, Opaque(border), {0, 0, width, kBorder});
      Fill(raw, Opaque(border), {0, height - kBorder, width, height});
      Fill(raw, Opaque(border), {0, 0, kBorder, height});
      Fill(raw, Opaque(border), {width - kBorder, 0, width, height});
      Fill(raw, Opaque(kCaptionBarColour), FormCaptionBar.Bounds);
      // Pictures are drawn pixel for pixel, already scaled.
      GdipSetInterpolationMode(raw, InterpolationModeNearestNeighbor);
      GdipSetPixelOffsetMode(raw, PixelOffsetModeHalf);
      DrawPicture(raw, FormLogo, true);
      DrawPicture(raw, FormIcon, false);
      GdipSetPixelOffsetMode(raw, PixelOffsetModeDefault);
      for (const TGlyphButton* button : {&FormMinButton, &FormMaxButton, &FormCloseButton})
        button->Paint(raw);
    }
  }

  if (FormCaption.Visible) {
    ui_win32::SelectedObject font(buffer.Canvas(), CaptionFont());
    SetBkMode(buffer.Canvas(), TRANSPARENT);
    SetTextColor(buffer.Canvas(), Colour(kCaptionTextColour));
    RECT box = FormCaption.Bounds;
    DrawTextW(buffer.Canvas(), FormCaption.Text.c_str(), -1, &box,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  PaintContent(buffer.Canvas(), ClientRect());
  BitBlt(dc, 0, 0, width, height, buffer.Canvas(), 0, 0, SRCCOPY);
}
