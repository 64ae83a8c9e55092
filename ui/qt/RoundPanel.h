#pragma once

#include <QColor>
#include <QPainterPath>
#include <QWidget>

// A panel filled with one colour inside a rounded rectangle and transparent
// outside it. A round panel inside another one is also clipped to its
// parent's rounded shape, so a bar running past its track stays inside it.
class TRoundPanel : public QWidget {
  Q_OBJECT

 public:
  explicit TRoundPanel(QWidget* parent = nullptr);

  QColor Color() const { return color_; }
  void SetColor(const QColor& color);
  qreal Radius() const { return radius_; }
  void SetRadius(qreal radius);

  // The filled shape in this panel's own coordinates.
  QPainterPath Shape() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_ = Qt::white;
  qreal radius_ = 0;
};
