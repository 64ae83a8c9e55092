#pragma once

#include <QLabel>

// A one-line label that ends its text with an ellipsis where it does not fit;
// text() keeps the whole text.
class TEllipsisLabel : public QLabel {
  Q_OBJECT

 public:
  using QLabel::QLabel;

  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};
