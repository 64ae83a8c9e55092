#pragma once

#include "ui/win32/WinGdi.h"

// A caption-bar button that draws its symbol with thin lines: transparent,
// darkened while hovered or pressed, never taking the keyboard focus. It is
// part of the frame's own window; the frame routes the pointer to it.
class TGlyphButton {
 public:
  enum TGlyph { gkMinimize, gkMaximize, gkRestore, gkClose };

  TGlyph Glyph = gkClose;
  int GlyphSize = 9;
  // Opacity (0-255) of the symbol in the normal state.
  int GlyphOpacity = 255;
  bool Visible = true;
  bool Enabled = true;
  bool Hovered = false;
  bool Pressed = false;
  RECT Bounds{};  // in the window's client coordinates

  int Width() const { return Bounds.right - Bounds.left; }
  int Height() const { return Bounds.bottom - Bounds.top; }
  void Resize(int width, int height) {
    Bounds.right = Bounds.left + width;
    Bounds.bottom = Bounds.top + height;
  }
  bool Contains(POINT p) const { return Visible && PtInRect(&Bounds, p); }

  void Paint(Gdiplus::GpGraphics* graphics) const;
};
