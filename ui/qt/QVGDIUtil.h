#pragma once

#include <QImage>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// Pictures are kept as PNG images (QImage::Format_ARGB32, straight alpha) drawn
// for large sizes and scaled down to the screen's DPI. Free routines without
// state; everything they return is new and belongs to the caller.

enum TAlphaFormat { afIgnored, afDefined, afPremultiplied };

// A 32-bit bitmap: blue, green, red, alpha bytes per pixel, rows top-down.
struct TAlphaBitmap {
  int Width = 0;
  int Height = 0;
  TAlphaFormat AlphaFormat = afIgnored;
  std::vector<uint8_t> Bits;

  uint8_t* Pixel(int x, int y) { return &Bits[(static_cast<size_t>(y) * Width + x) * 4]; }
  const uint8_t* Pixel(int x, int y) const {
    return &Bits[(static_cast<size_t>(y) * Width + x) * 4];
  }
};

// The resampler's picture (the resampling library's image, premultiplied).
union pixman_image;
struct TGPImageRelease {
  void operator()(pixman_image* image) const;
};
using TGPImage = std::unique_ptr<pixman_image, TGPImageRelease>;

// `Source` stretched to exactly Width x Height with bicubic resampling in
// premultiplied alpha; none when there is no source or a size is below 1.
std::optional<QImage> ScalePng(const QImage* Source, int Width, int Height);

// The resampler's copy of `Png`; none when there is no image.
TGPImage PngToGPImage(const QImage* Png);

// Makes `Bitmap` a premultiplied Width x Height bitmap of transparent black.
TAlphaBitmap& InitAlphaBitmap(TAlphaBitmap& Bitmap, int Width, int Height);

// A PNG image of the bitmap's size with the bitmap's alpha; colours of a
// bitmap with alpha are divided back by it (c / a x 255, halves to even, low
// 8 bits kept), those of a bitmap without alpha copied.
QImage BitmapToPng(const TAlphaBitmap& Bitmap);
