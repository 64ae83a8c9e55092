#pragma once

#include <QFont>

// The product's text face: "맑은 고딕" where it is installed, then the faces
// that stand in for it. Sizes are in device pixels.
QFont ProductFont(int pixelSize, bool bold = false);

// Tahoma first, for the frame's own texts; Korean falls through to the
// product's faces.
QFont FrameFont(int pixelSize);
