// The update window made on a 144-DPI primary screen "a144" (a 96-DPI screen
// "b96" lies to its right).
#include <gtest/gtest.h>

#include "tests/unit/ui/qt/QtTestEnvironment.h"
#include "updater/untUpdaterMain.h"

namespace {

TEST(UpdateWindowOnA144DpiScreen, IsMadeAtTheScaledSize) {
  TfmUpdaterMain window;
  ASSERT_EQ(window.screen(), ScreenNamed("a144"));
  EXPECT_EQ(window.size(), QSize(750, 236));
  EXPECT_EQ(window.ImgLogo->pixmap().size(), QSize(54, 56));

  // The first show on this screen is a scale change: the caption bar follows,
  // the window keeps its size.
  ShowAndWait(&window);
  EXPECT_EQ(window.size(), QSize(750, 236));
  EXPECT_EQ(window.FormCaptionBar->height(), 39);
  EXPECT_EQ(window.FormCloseButton->width(), 42);
  EXPECT_EQ(window.FormLogo->pixmap().size(), QSize(72, 30));
  EXPECT_EQ(window.ImgLogo->pixmap().size(), QSize(54, 56));
  EXPECT_EQ(window.scProgressMain->height(), 9);

  MoveTo(&window, QPoint(3000, 200));
  ASSERT_EQ(window.screen(), ScreenNamed("b96"));
  EXPECT_EQ(window.size(), QSize(500, 157));
  EXPECT_EQ(window.FormCaptionBar->height(), 26);
  EXPECT_EQ(window.ImgLogo->pixmap().size(), QSize(36, 37));
}

}  // namespace
