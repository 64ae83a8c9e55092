// The caption bar's lengths at a DPI, and where its parts go.
#include <gtest/gtest.h>

#include "ui/CaptionLayout.h"

namespace {

TEST(ScaledCaptionMetrics, ScalesEveryLengthFromItsDesignValue) {
  struct Case {
    int ppi;
    int bar, minGlyph, maxGlyph, closeGlyph, button, logoW, logoH, icon, iconLeft, logoMargin,
        captionMargin, font;
  } const cases[] = {
      {96, 26, 18, 15, 11, 28, 48, 20, 16, 5, 12, 5, -15},
      {120, 33, 23, 19, 14, 35, 60, 25, 20, 6, 15, 6, -19},
      {144, 39, 27, 23, 17, 42, 72, 30, 24, 8, 18, 8, -23},
      {192, 52, 36, 30, 22, 56, 96, 40, 32, 10, 24, 10, -30},
  };
  for (const Case& c : cases) {
    const TCaptionMetrics m = ScaledCaptionMetrics(c.ppi);
    EXPECT_EQ(m.BarHeight, c.bar) << c.ppi;
    EXPECT_EQ(m.MinGlyph, c.minGlyph) << c.ppi;
    EXPECT_EQ(m.MaxGlyph, c.maxGlyph) << c.ppi;
    EXPECT_EQ(m.CloseGlyph, c.closeGlyph) << c.ppi;
    EXPECT_EQ(m.ButtonWidth, c.button) << c.ppi;
    EXPECT_EQ(m.LogoWidth, c.logoW) << c.ppi;
    EXPECT_EQ(m.LogoHeight, c.logoH) << c.ppi;
    EXPECT_EQ(m.IconSize, c.icon) << c.ppi;
    EXPECT_EQ(m.IconLeft, c.iconLeft) << c.ppi;
    EXPECT_EQ(m.LogoMargin, c.logoMargin) << c.ppi;
    EXPECT_EQ(m.CaptionMargin, c.captionMargin) << c.ppi;
    EXPECT_EQ(m.FontHeight, c.font) << c.ppi;
  }
}

TEST(IconPlacement, PanelFollowsTheIconAndTheIconSitsBelowTheMiddle) {
  EXPECT_EQ(IconPanelWidth(5, 16), 21);
  EXPECT_EQ(IconTop(26, 16), 6);
  EXPECT_EQ(IconTop(39, 24), 8);  // 7.5 truncated, + 1
  EXPECT_EQ(IconTop(26, 25), 1);
}

TCaptionParts DesignParts() {
  TCaptionParts p;
  p.BarWidth = 649;
  p.BarHeight = 26;
  p.TopMargin = 2;
  p.LogoWidth = 48;
  p.LogoMargin = 12;
  p.PanelWidth = 26;
  p.CaptionMargin = 2;
  p.CloseWidth = 32;
  p.MaxWidth = 28;
  p.MinWidth = 28;
  p.MaxTop = 1;
  p.MaxGap = 2;
  return p;
}

TEST(LayoutCaption, PutsTheButtonsRightToLeftAndTheTitleBetween) {
  const TCaptionLayout l = LayoutCaption(DesignParts());
  EXPECT_EQ(l.Close.Left, 649 - 1 - 32);
  EXPECT_EQ(l.Close.Height, 26);
  EXPECT_EQ(l.Max.Left, 616 - 28);
  EXPECT_EQ(l.Max.Top, 1);
  EXPECT_EQ(l.Max.Height, 25);
  EXPECT_EQ(l.Min.Left, 588 - 2 - 28);
  EXPECT_EQ(l.Panel.Left, 0);
  EXPECT_EQ(l.Caption.Left, 28);
  EXPECT_EQ(l.Caption.Top, 2);
  EXPECT_EQ(l.Caption.Width, 558 - 28);
  EXPECT_EQ(l.Caption.Height, 24);
}

TEST(LayoutCaption, HiddenPartsTakeNoRoom) {
  TCaptionParts p = DesignParts();
  p.LogoVisible = true;
  p.CaptionVisible = false;
  p.MinVisible = false;
  p.MaxVisible = false;
  const TCaptionLayout l = LayoutCaption(p);
  EXPECT_EQ(l.Logo.Left, 12);
  EXPECT_EQ(l.Logo.Width, 48);
  // Logo mode keeps the icon's panel as an empty strip after the logo.
  EXPECT_EQ(l.Panel.Left, 60);
  EXPECT_EQ(l.Close.Left, 616);

  // A bar too narrow for the title leaves it no width rather than a negative one.
  p = DesignParts();
  p.BarWidth = 100;
  EXPECT_EQ(LayoutCaption(p).Caption.Width, 0);
}

}  // namespace
