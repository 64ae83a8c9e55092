#pragma once

#include <QAbstractButton>

// A caption-bar button that draws its symbol with thin lines: transparent,
// darkened while hovered or pressed, never taking the keyboard focus.
class TGlyphButton : public QAbstractButton {
  Q_OBJECT

 public:
  enum TGlyph { gkMinimize, gkMaximize, gkRestore, gkClose };
  Q_ENUM(TGlyph)
  Q_PROPERTY(TGlyph Glyph READ Glyph WRITE SetGlyph)
  Q_PROPERTY(int GlyphSize READ GlyphSize WRITE SetGlyphSize)
  Q_PROPERTY(int GlyphOpacity READ GlyphOpacity WRITE SetGlyphOpacity)

  explicit TGlyphButton(QWidget* parent = nullptr);

  TGlyph Glyph() const { return glyph_; }
  void SetGlyph(TGlyph glyph);
  int GlyphSize() const { return glyphSize_; }
  void SetGlyphSize(int size);
  // Opacity (0-255) of the symbol in the normal state.
  int GlyphOpacity() const { return glyphOpacity_; }
  void SetGlyphOpacity(int opacity);

  QSize sizeHint() const override { return size(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void DrawGlyph(QPainter& painter) const;

  TGlyph glyph_ = gkClose;
  int glyphSize_ = 9;
  int glyphOpacity_ = 255;
  bool hovered_ = false;
};
