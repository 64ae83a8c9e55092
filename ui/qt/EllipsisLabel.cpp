#include "ui/qt/EllipsisLabel.h"

#include <QPainter>

QSize TEllipsisLabel::minimumSizeHint() const {
  return QSize(0, QLabel::minimumSizeHint().height());
}

void TEllipsisLabel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect area = contentsRect();
  painter.setPen(palette().color(foregroundRole()));
  painter.drawText(area, static_cast<int>(alignment()),
                   fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
}
