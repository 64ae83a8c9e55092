// Scaling pictures and turning premultiplied bitmaps back into PNG images.
#include <gtest/gtest.h>

#include <QImage>

#include "ui/qt/QVGDIUtil.h"

// The pictures are resources of the ui library.
static void LinkArtwork() {
  Q_INIT_RESOURCE(artwork);
}

namespace {

QImage ResourceImage(const char* path) {
  LinkArtwork();
  QImage image(QString::fromLatin1(path));
  EXPECT_FALSE(image.isNull()) << path;
  return image.convertToFormat(QImage::Format_ARGB32);
}

TAlphaBitmap OnePixel(uint8_t b, uint8_t g, uint8_t r, uint8_t a, TAlphaFormat format) {
  TAlphaBitmap bitmap;
  InitAlphaBitmap(bitmap, 1, 1);
  bitmap.AlphaFormat = format;
  uint8_t* p = bitmap.Pixel(0, 0);
  p[0] = b, p[1] = g, p[2] = r, p[3] = a;
  return bitmap;
}

struct PixelCase {
  uint8_t b, g, r, a;
  TAlphaFormat format;
  QRgb expected;  // straight colour of the PNG image
};

TEST(BitmapToPng, RebuildsStraightColoursFromEachPixel) {
  const PixelCase cases[] = {
      {64, 32, 0, 128, afPremultiplied, qRgba(0, 64, 128, 128)},
      {1, 1, 1, 2, afPremultiplied, qRgba(128, 128, 128, 2)},  // 127.5 to even
      {3, 3, 3, 2, afPremultiplied, qRgba(126, 126, 126, 2)},  // 382.5 -> 382, low 8 bits
      {0, 0, 0, 0, afPremultiplied, qRgba(0, 0, 0, 0)},        // transparent comes out black
      {255, 10, 200, 255, afPremultiplied, qRgba(200, 10, 255, 255)},
      {1, 0, 0, 6, afDefined, qRgba(0, 0, 42, 6)},         // 42.5 to even
      {64, 32, 0, 128, afIgnored, qRgba(0, 32, 64, 128)},  // colours copied as drawn
  };
  for (const PixelCase& c : cases) {
    const QImage png = BitmapToPng(OnePixel(c.b, c.g, c.r, c.a, c.format));
    ASSERT_EQ(png.size(), QSize(1, 1));
    EXPECT_EQ(png.format(), QImage::Format_ARGB32);
    EXPECT_EQ(png.pixel(0, 0), c.expected)
        << "bgra " << int(c.b) << "," << int(c.g) << "," << int(c.r) << "," << int(c.a);
  }
}

TEST(BitmapToPng, KeepsRowsAndColumnsInPlace) {
  TAlphaBitmap bitmap;
  InitAlphaBitmap(bitmap, 3, 2);
  for (uint8_t v : bitmap.Bits) EXPECT_EQ(v, 0);
  uint8_t* p = bitmap.Pixel(2, 1);
  p[0] = 0, p[1] = 0, p[2] = 255, p[3] = 255;
  const QImage png = BitmapToPng(bitmap);
  ASSERT_EQ(png.size(), QSize(3, 2));
  EXPECT_EQ(png.pixel(2, 1), qRgba(255, 0, 0, 255));
  EXPECT_EQ(png.pixel(0, 0), qRgba(0, 0, 0, 0));
}

TEST(ScalePng, NoSourceGivesNone) {
  EXPECT_FALSE(ScalePng(nullptr, 48, 20).has_value());
  EXPECT_FALSE(PngToGPImage(nullptr));
  const QImage logo = ResourceImage(":/ui/logo_4x.png");
  EXPECT_FALSE(ScalePng(&logo, 0, 20).has_value());
}

TEST(ScalePng, UnreadableSourceGivesTransparentImageOfTheSize) {
  const QImage empty;
  const auto scaled = ScalePng(&empty, 7, 5);
  ASSERT_TRUE(scaled.has_value());
  ASSERT_EQ(scaled->size(), QSize(7, 5));
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(scaled->pixel(x, y), qRgba(0, 0, 0, 0));
}

// Every target pixel whose source neighbourhood (the filter's reach of about
// four source pixels each way at this scale) is opaque and of one colour must
// come out as exactly that colour.
TEST(ScalePng, LogoKeepsItsTransparentBorderAndOpaqueColours) {
  const QImage logo = ResourceImage(":/ui/logo_4x.png");
  ASSERT_EQ(logo.size(), QSize(188, 76));
  const auto scaled = ScalePng(&logo, 48, 20);
  ASSERT_TRUE(scaled.has_value());
  ASSERT_EQ(scaled->size(), QSize(48, 20));
  ASSERT_EQ(scaled->format(), QImage::Format_ARGB32);

  for (int x = 0; x < 48; ++x)
    for (int y : {0, 19}) EXPECT_EQ(scaled->pixel(x, y), qRgba(0, 0, 0, 0)) << x << "," << y;
  for (int y = 0; y < 20; ++y)
    for (int x : {0, 47}) EXPECT_EQ(scaled->pixel(x, y), qRgba(0, 0, 0, 0)) << x << "," << y;

  const double sx = 188.0 / 48, sy = 76.0 / 20;
  int flatPixels = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 48; ++x) {
      const int x0 = int((x + 0.5) * sx) - 5, y0 = int((y + 0.5) * sy) - 5;
      if (x0 < 0 || y0 < 0 || x0 + 10 >= 188 || y0 + 10 >= 76) continue;
      const QRgb first = logo.pixel(x0, y0);
      bool flat = qAlpha(first) == 255;
      for (int v = y0; flat && v <= y0 + 10; ++v)
        for (int u = x0; flat && u <= x0 + 10; ++u) flat = logo.pixel(u, v) == first;
      if (!flat) continue;
      ++flatPixels;
      EXPECT_EQ(scaled->pixel(x, y), first) << x << "," << y;
    }
  }
  EXPECT_GT(flatPixels, 0) << "the logo has no flat opaque area to compare";
}

TEST(ScalePng, StretchesToTheTargetWithoutLetterboxing) {
  QImage icon(56, 60, QImage::Format_ARGB32);
  icon.fill(qRgba(24, 143, 204, 255));
  const auto scaled = ScalePng(&icon, 16, 16);
  ASSERT_TRUE(scaled.has_value());
  ASSERT_EQ(scaled->size(), QSize(16, 16));
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_EQ(scaled->pixel(x, y), qRgba(24, 143, 204, 255));
}

TEST(ScalePng, HalfTransparentAreasKeepTheirStraightColour) {
  QImage source(40, 40, QImage::Format_ARGB32);
  source.fill(qRgba(200, 100, 50, 128));
  for (QSize target : {QSize(10, 10), QSize(80, 80)}) {
    const auto scaled = ScalePng(&source, target.width(), target.height());
    ASSERT_TRUE(scaled.has_value());
    const QRgb centre = scaled->pixel(target.width() / 2, target.height() / 2);
    EXPECT_EQ(qAlpha(centre), 128);
    EXPECT_NEAR(qRed(centre), 200, 1);
    EXPECT_NEAR(qGreen(centre), 100, 1);
    EXPECT_NEAR(qBlue(centre), 50, 1);
  }
}

// Sharp edges make the cubic kernel overshoot; no pixel may come out with a
// colour that wrapped around.
TEST(ScalePng, HardEdgesDoNotWrapColours) {
  QImage source(64, 64, QImage::Format_ARGB32);
  source.fill(qRgba(0, 0, 0, 0));
  for (int y = 16; y < 48; ++y)
    for (int x = 16; x < 48; ++x) source.setPixel(x, y, qRgba(255, 255, 255, 255));
  for (QSize target : {QSize(24, 24), QSize(100, 100)}) {
    const auto scaled = ScalePng(&source, target.width(), target.height());
    ASSERT_TRUE(scaled.has_value());
    for (int y = 0; y < target.height(); ++y)
      for (int x = 0; x < target.width(); ++x) {
        const QRgb p = scaled->pixel(x, y);
        if (qAlpha(p) == 0) continue;
        EXPECT_EQ(qRed(p), 255) << x << "," << y;
      }
  }
}

}  // namespace
