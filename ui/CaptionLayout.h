#pragma once

// Every DPI-dependent length of the caption bar as ScaleCaptionBar applies it.
struct TCaptionMetrics {
  int BarHeight;
  int MinGlyph;
  int MaxGlyph;
  int CloseGlyph;
  int ButtonWidth;  // each of the three
  int LogoWidth;
  int LogoHeight;
  int IconSize;  // the icon's picture is square
  int IconLeft;
  int LogoMargin;
  int CaptionMargin;
  int FontHeight;  // negative: the height of the characters
};
TCaptionMetrics ScaledCaptionMetrics(int ppi);

// The icon's panel follows its icon; the icon sits a pixel below its middle.
int IconPanelWidth(int iconLeft, int iconWidth);
int IconTop(int panelHeight, int iconHeight);

struct TCaptionBox {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
};

// What the bar holds and how wide each part is; hidden parts take no room.
struct TCaptionParts {
  int BarWidth = 0;
  int BarHeight = 0;
  int TopMargin = 0;  // of the logo and the title
  bool LogoVisible = false;
  int LogoWidth = 0;
  int LogoMargin = 0;
  int PanelWidth = 0;
  bool CaptionVisible = true;
  int CaptionMargin = 0;
  bool CloseVisible = true;
  bool MaxVisible = true;
  bool MinVisible = true;
  int CloseWidth = 0;
  int MaxWidth = 0;
  int MinWidth = 0;
  int MaxTop = 0;  // the maximize button sits this much lower
  int MaxGap = 0;  // between the minimize and the maximize button
};

// Boxes in the bar's coordinates. Left to right: logo, icon panel, title;
// right to left: close, maximize, minimize.
struct TCaptionLayout {
  TCaptionBox Logo, Panel, Caption, Close, Max, Min;
};
TCaptionLayout LayoutCaption(const TCaptionParts& parts);
