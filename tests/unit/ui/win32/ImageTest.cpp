// Scaling pictures with GDI+ and turning premultiplied bitmaps back into PNG
// images.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "tests/tools/win32/Wine.h"
#include "ui/win32/Artwork.h"
#include "ui/win32/QVGDIUtil.h"

namespace {

using Bgra = std::array<uint8_t, 4>;

Bgra At(const TPngImage& png, int x, int y) {
  const uint8_t* c = png.Pixel(x, y);
  return {c[0], c[1], c[2], png.Alpha(x, y)};
}

TPngImage Filled(int width, int height, Bgra colour) {
  TPngImage png(width, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::memcpy(png.Pixel(x, y), colour.data(), 3);
      png.Alpha(x, y) = colour[3];
    }
  return png;
}

TPngImage Artwork(int index) {
  auto png = TPngImage::LoadFromMemory(kFrameArtwork[index].Data, kFrameArtwork[index].Size);
  EXPECT_TRUE(png.has_value()) << index;
  return png ? *png : TPngImage(1, 1);
}

TEST(BitmapToPng, RebuildsStraightColoursFromEachPixel) {
  struct Case {
    Bgra pixel;
    TAlphaFormat format;
    Bgra expected;
  } const cases[] = {
      {{64, 32, 0, 128}, afPremultiplied, {128, 64, 0, 128}},
      {{1, 1, 1, 2}, afPremultiplied, {128, 128, 128, 2}},  // 127.5 to even
      {{3, 3, 3, 2}, afPremultiplied, {126, 126, 126, 2}},  // 382.5 -> 382, low 8 bits
      {{0, 0, 0, 0}, afPremultiplied, {0, 0, 0, 0}},        // transparent comes out black
      {{255, 10, 200, 255}, afPremultiplied, {255, 10, 200, 255}},
      {{1, 0, 0, 6}, afDefined, {42, 0, 0, 6}},         // 42.5 to even
      {{64, 32, 0, 128}, afIgnored, {64, 32, 0, 128}},  // colours copied as drawn
  };
  for (const Case& c : cases) {
    TAlphaBitmap bitmap;
    InitAlphaBitmap(bitmap, 1, 1);
    bitmap.AlphaFormat = c.format;
    std::memcpy(bitmap.Pixel(0, 0), c.pixel.data(), 4);
    const TPngImage png = BitmapToPng(bitmap);
    ASSERT_EQ(png.Width(), 1);
    ASSERT_EQ(png.Height(), 1);
    EXPECT_EQ(At(png, 0, 0), c.expected) << int(c.pixel[0]) << "," << int(c.pixel[1]) << ","
                                         << int(c.pixel[2]) << "," << int(c.pixel[3]);
  }
}

TEST(InitAlphaBitmap, MakesABottomUpPremultipliedBitmapOfTransparentBlack) {
  TAlphaBitmap bitmap;
  InitAlphaBitmap(bitmap, 3, 2);
  ASSERT_NE(bitmap.Handle(), nullptr);
  EXPECT_EQ(bitmap.AlphaFormat, afPremultiplied);
  DIBSECTION dib{};
  ASSERT_EQ(GetObjectW(bitmap.Handle(), sizeof(dib), &dib), int(sizeof(dib)));
  EXPECT_EQ(dib.dsBm.bmWidth, 3);
  EXPECT_EQ(dib.dsBm.bmHeight, 2);
  EXPECT_EQ(dib.dsBm.bmBitsPixel, 32);
  EXPECT_GT(dib.dsBmih.biHeight, 0) << "rows are stored bottom-up";
  for (int i = 0; i < 3 * 2 * 4; ++i) EXPECT_EQ(bitmap.Bits()[i], 0);
  // The last row is the start of the pixel memory.
  EXPECT_EQ(bitmap.Pixel(0, 1), bitmap.Bits());

  bitmap.Pixel(2, 1)[2] = 255, bitmap.Pixel(2, 1)[3] = 255;
  const TPngImage png = BitmapToPng(bitmap);
  EXPECT_EQ(At(png, 2, 1), (Bgra{0, 0, 255, 255}));
  EXPECT_EQ(At(png, 2, 0), (Bgra{0, 0, 0, 0}));
}

TEST(StreamToIStream, CopiesTheWholeStreamWhateverItsPosition) {
  TMemoryStream memory;
  memory.Bytes = {1, 2, 3, 4, 5};
  memory.Position = 3;
  ui_win32::ComPtr<IStream> stream;
  ASSERT_TRUE(StreamToIStream(memory, stream));
  ASSERT_TRUE(stream);
  uint8_t read[8] = {};
  ULONG count = 0;
  ASSERT_EQ(stream->Read(read, sizeof(read), &count), S_OK);
  ASSERT_EQ(count, 5u);
  EXPECT_EQ(std::memcmp(read, memory.Bytes.data(), 5), 0);
}

TEST(PngImage, SurvivesItsPngEncodingExactly) {
  TPngImage png(3, 2);
  const Bgra pixels[] = {{1, 2, 3, 4},   {0, 0, 0, 0},      {255, 0, 128, 255},
                         {9, 8, 7, 128}, {200, 100, 50, 1}, {12, 34, 56, 255}};
  for (int i = 0; i < 6; ++i) {
    std::memcpy(png.Pixel(i % 3, i / 3), pixels[i].data(), 3);
    png.Alpha(i % 3, i / 3) = pixels[i][3];
  }
  TMemoryStream memory;
  ASSERT_TRUE(png.SaveToStream(memory));
  ASSERT_GT(memory.Bytes.size(), 8u);
  EXPECT_EQ(std::memcmp(memory.Bytes.data(), "\x89PNG\r\n\x1a\n", 8), 0);
  const auto back = TPngImage::LoadFromMemory(memory.Bytes.data(), memory.Bytes.size());
  ASSERT_TRUE(back.has_value());
  ASSERT_EQ(back->Width(), 3);
  ASSERT_EQ(back->Height(), 2);
  for (int i = 0; i < 6; ++i) {
    // A fully transparent pixel may lose its colour in the encoder; its alpha stays.
    if (pixels[i][3] == 0)
      EXPECT_EQ(back->Alpha(i % 3, i / 3), 0);
    else
      EXPECT_EQ(At(*back, i % 3, i / 3), pixels[i]) << i;
  }
  EXPECT_FALSE(TPngImage::LoadFromMemory("not a png", 9).has_value());
}

TEST(ScalePng, NoSourceGivesNone) {
  EXPECT_FALSE(ScalePng(nullptr, 48, 20).has_value());
  EXPECT_FALSE(PngToGPImage(nullptr));
  const TPngImage logo = Artwork(3);
  EXPECT_FALSE(ScalePng(&logo, 0, 20).has_value());
  EXPECT_FALSE(ScalePng(&logo, 48, -1).has_value());
}

TEST(ScalePng, ArtworkHasTheDesignedSizes) {
  const struct { int width, height; } sizes[] = {{48, 20}, {71, 29}, {95, 38}, {188, 76}, {56, 60}};
  for (int i = 0; i < 5; ++i) {
    const TPngImage png = Artwork(i);
    EXPECT_EQ(png.Width(), sizes[i].width) << i;
    EXPECT_EQ(png.Height(), sizes[i].height) << i;
  }
}

// Every target pixel whose source neighbourhood is opaque and of one colour
// must come out as exactly that colour; the border stays transparent black.
TEST(ScalePng, LogoKeepsItsTransparentBorderAndOpaqueColours) {
  const TPngImage logo = Artwork(3);
  ASSERT_EQ(logo.Width(), 188);
  const auto scaled = ScalePng(&logo, 48, 20);
  ASSERT_TRUE(scaled.has_value());
  ASSERT_EQ(scaled->Width(), 48);
  ASSERT_EQ(scaled->Height(), 20);
  for (int x = 0; x < 48; ++x)
    for (int y : {0, 19}) EXPECT_EQ(At(*scaled, x, y), (Bgra{0, 0, 0, 0})) << x << "," << y;
  for (int y = 0; y < 20; ++y)
    for (int x : {0, 47}) EXPECT_EQ(At(*scaled, x, y), (Bgra{0, 0, 0, 0})) << x << "," << y;

  const double sx = 188.0 / 48, sy = 76.0 / 20;
  int flatPixels = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 48; ++x) {
      const int x0 = int((x + 0.5) * sx) - 5, y0 = int((y + 0.5) * sy) - 5;
      if (x0 < 0 || y0 < 0 || x0 + 10 >= 188 || y0 + 10 >= 76) continue;
      const Bgra first = At(logo, x0, y0);
      bool flat = first[3] == 255;
      for (int v = y0; flat && v <= y0 + 10; ++v)
        for (int u = x0; flat && u <= x0 + 10; ++u) flat = At(logo, u, v) == first;
      if (!flat) continue;
      ++flatPixels;
      EXPECT_EQ(At(*scaled, x, y), first) << x << "," << y;
    }
  EXPECT_GT(flatPixels, 0) << "the logo has no flat opaque area to compare";
}

TEST(ScalePng, StretchesToTheTargetWithoutLetterboxing) {
  const TPngImage icon = Filled(56, 60, {204, 143, 24, 255});
  const auto scaled = ScalePng(&icon, 16, 16);
  ASSERT_TRUE(scaled.has_value());
  ASSERT_EQ(scaled->Width(), 16);
  ASSERT_EQ(scaled->Height(), 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x)
      EXPECT_EQ(At(*scaled, x, y), (Bgra{204, 143, 24, 255})) << x << "," << y;
}

TEST(ScalePng, HalfTransparentAreasKeepTheirStraightColour) {
  const TPngImage source = Filled(40, 40, {50, 100, 200, 128});
  for (int target : {10, 80}) {
    const auto scaled = ScalePng(&source, target, target);
    ASSERT_TRUE(scaled.has_value());
    const Bgra centre = At(*scaled, target / 2, target / 2);
    EXPECT_EQ(centre[3], 128) << target;
    EXPECT_NEAR(centre[0], 50, 1) << target;
    EXPECT_NEAR(centre[1], 100, 1) << target;
    EXPECT_NEAR(centre[2], 200, 1) << target;
  }
}

// The same picture drawn with plain bilinear interpolation, for comparison.
TPngImage ScaleBilinear(const TPngImage& source, int width, int height) {
  using namespace Gdiplus::DllExports;
  TGPImage image = PngToGPImage(&source);
  Gdiplus::GpBitmap* raw = nullptr;
  GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, &raw);
  TGPImage bitmap(raw);
  Gdiplus::GpGraphics* g = nullptr;
  GdipGetImageGraphicsContext(bitmap.get(), &g);
  ui_win32::UniqueGPGraphics graphics(g);
  GdipSetInterpolationMode(g, Gdiplus::InterpolationModeBilinear);
  GdipDrawImageRectI(g, image.get(), 0, 0, width, height);
  graphics.reset();
  TPngImage out(width, height);
  const Gdiplus::GpRect all(0, 0, width, height);
  Gdiplus::BitmapData locked{};
  GdipBitmapLockBits(raw, &all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &locked);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const auto* p = static_cast<const uint8_t*>(locked.Scan0) + y * locked.Stride + x * 4;
      std::memcpy(out.Pixel(x, y), p, 3);
      out.Alpha(x, y) = p[3];
    }
  GdipBitmapUnlockBits(raw, &locked);
  return out;
}

// Bicubic interpolation sharpens a hard edge where bilinear only ramps.
TEST(ScalePng, UsesHighQualityBicubicRatherThanBilinear) {
  // Measured: Wine 8's GDI+ draws every bicubic mode exactly as bilinear.
  if (testing_tools::UnderWine()) GTEST_SKIP() << "Wine's GDI+ draws bicubic as bilinear";
  TPngImage source = Filled(8, 8, {0, 0, 0, 255});
  for (int y = 0; y < 8; ++y)
    for (int x = 4; x < 8; ++x) std::memset(source.Pixel(x, y), 255, 3);
  const auto bicubic = ScalePng(&source, 24, 24);
  ASSERT_TRUE(bicubic.has_value());
  const TPngImage bilinear = ScaleBilinear(source, 24, 24);
  int differing = 0;
  for (int x = 0; x < 24; ++x) differing += At(*bicubic, x, 12) != At(bilinear, x, 12);
  EXPECT_GT(differing, 0);
}

}  // namespace
