#include "ui/qt/RoundPanel.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

TRoundPanel::TRoundPanel(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAutoFillBackground(false);
}

void TRoundPanel::SetColor(const QColor& color) {
  color_ = color;
  update();
}

void TRoundPanel::SetRadius(qreal radius) {
  radius_ = radius;
  update();
}

QPainterPath TRoundPanel::Shape() const {
  const qreal r = std::min({radius_, width() / 2.0, height() / 2.0});
  QPainterPath path;
  path.addRoundedRect(QRectF(rect()), r, r);
  return path;
}

void TRoundPanel::paintEvent(QPaintEvent*) {
  if (width() <= 0 || height() <= 0) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  if (const auto* track = qobject_cast<const TRoundPanel*>(parentWidget()))
    painter.setClipPath(track->Shape().translated(-pos()));
  painter.fillPath(Shape(), color_);
}
