#include "ui/qt/GlyphButton.h"

#include <QPainter>

#include <algorithm>

#include "ui/FrameDesign.h"

namespace {

using namespace FrameDesign;

const QColor kGlyph(kGlyphColour.R, kGlyphColour.G, kGlyphColour.B);
const QColor kDisabledGlyph(kDisabledGlyphColour.R, kDisabledGlyphColour.G, kDisabledGlyphColour.B,
                            kDisabledGlyphOpacity);
const QColor kHoverShade(0, 0, 0, kHoverShadeOpacity);

}  // namespace

TGlyphButton::TGlyphButton(QWidget* parent) : QAbstractButton(parent) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::PointingHandCursor);
  setAttribute(Qt::WA_Hover);
}

void TGlyphButton::SetGlyph(TGlyph glyph) {
  glyph_ = glyph;
  update();
}

void TGlyphButton::SetGlyphSize(int size) {
  glyphSize_ = size;
  update();
}

void TGlyphButton::SetGlyphOpacity(int opacity) {
  glyphOpacity_ = std::clamp(opacity, 0, 255);
  update();
}

void TGlyphButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void TGlyphButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void TGlyphButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool active = isEnabled() && (hovered_ || isDown());
  if (active) painter.fillRect(rect(), kHoverShade);

  QColor colour = kGlyph;
  if (!isEnabled())
    colour = kDisabledGlyph;
  else if (!active)
    colour.setAlpha(glyphOpacity_);
  painter.setPen(QPen(colour, 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  DrawGlyph(painter);
}

// The symbols sit centred in a square of the glyph size: the close cross fills
// it, the others take the lighter weight of a window-frame symbol.
void TGlyphButton::DrawGlyph(QPainter& painter) const {
  const int full = std::max(glyphSize_, 3);
  const int side = glyph_ == gkClose ? full : std::max(3, full * 5 / 8);
  const int left = (width() - side) / 2;
  const int top = (height() - side) / 2;
  // Half-pixel offsets put one-pixel lines exactly on the device pixels.
  const QRectF box(left + 0.5, top + 0.5, side - 1, side - 1);

  switch (glyph_) {
    case gkClose:
      painter.setRenderHint(QPainter::Antialiasing);
      painter.drawLine(box.topLeft(), box.bottomRight());
      painter.drawLine(box.topRight(), box.bottomLeft());
      break;
    case gkMinimize: {
      const qreal y = top + side / 2 + 0.5;
      painter.drawLine(QPointF(box.left(), y), QPointF(box.right(), y));
      break;
    }
    case gkMaximize:
      painter.drawRect(box);
      break;
    case gkRestore: {
      const int shift = std::max(2, side / 4);
      const QRectF front = box.adjusted(0, shift, -shift, 0);
      painter.drawRect(front);
      // The window behind shows only where the front one does not cover it.
      painter.drawLine(QPointF(front.left() + shift, box.top()), QPointF(box.right(), box.top()));
      painter.drawLine(QPointF(box.right(), box.top()),
                       QPointF(box.right(), front.bottom() - shift));
      painter.drawLine(QPointF(front.left() + shift, box.top()),
                       QPointF(front.left() + shift, front.top()));
      painter.drawLine(QPointF(front.right(), front.bottom() - shift),
                       QPointF(box.right(), front.bottom() - shift));
      break;
    }
  }
}
