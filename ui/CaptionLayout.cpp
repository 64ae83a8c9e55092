#include "ui/CaptionLayout.h"

#include <algorithm>

#include "ui/DpiMath.h"

TCaptionMetrics ScaledCaptionMetrics(int ppi) {
  auto dpi = [ppi](int value) { return ScaleFrom96(value, ppi); };
  return {
      .BarHeight = MulDivRound(26, ppi, 96),
      .MinGlyph = dpi(18),
      .MaxGlyph = dpi(15),
      .CloseGlyph = dpi(11),
      .ButtonWidth = dpi(28),
      .LogoWidth = dpi(48),
      .LogoHeight = dpi(20),
      .IconSize = dpi(16),
      .IconLeft = dpi(5),
      .LogoMargin = dpi(12),
      .CaptionMargin = dpi(5),
      .FontHeight = dpi(-15),
  };
}

int IconPanelWidth(int iconLeft, int iconWidth) {
  return iconLeft + iconWidth;
}

int IconTop(int panelHeight, int iconHeight) {
  return (panelHeight - iconHeight) / 2 + 1;
}

TCaptionLayout LayoutCaption(const TCaptionParts& p) {
  TCaptionLayout layout;
  const int barHeight = p.BarHeight;

  int left = 0;
  if (p.LogoVisible) {
    left += p.LogoMargin;
    layout.Logo = {left, p.TopMargin, p.LogoWidth, barHeight - p.TopMargin};
    left += p.LogoWidth;
  }
  layout.Panel = {left, 0, p.PanelWidth, barHeight};
  left += p.PanelWidth;

  int right = p.BarWidth;
  if (p.CloseVisible) {
    right -= 1;
    right -= p.CloseWidth;
    layout.Close = {right, 0, p.CloseWidth, barHeight};
  }
  if (p.MaxVisible) {
    right -= p.MaxWidth;
    layout.Max = {right, p.MaxTop, p.MaxWidth, barHeight - p.MaxTop};
    right -= p.MaxGap;
  }
  if (p.MinVisible) {
    right -= p.MinWidth;
    layout.Min = {right, 0, p.MinWidth, barHeight};
  }

  if (p.CaptionVisible) {
    left += p.CaptionMargin;
    layout.Caption = {left, p.TopMargin, std::max(0, right - left), barHeight - p.TopMargin};
  }
  return layout;
}
