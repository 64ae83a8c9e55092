#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "ui/win32/GdiHandles.h"
#include "ui/win32/PngImage.h"
#include "ui/win32/WinGdi.h"

// Pictures are kept as PNG images drawn for large sizes and scaled down to the
// monitor's DPI with GDI+ high-quality bicubic interpolation, alpha kept. Free
// routines without state; everything they return is new and belongs to the
// caller. GDI+ must be running (TGdiplusSession).

enum TAlphaFormat { afIgnored, afDefined, afPremultiplied };

// A 32-bit device-independent bitmap: blue, green, red, alpha bytes per pixel,
// rows stored bottom-up, with a memory device context to draw into it.
class TAlphaBitmap {
 public:
  TAlphaBitmap() = default;
  ~TAlphaBitmap() { Release(); }
  TAlphaBitmap(const TAlphaBitmap&) = delete;
  TAlphaBitmap& operator=(const TAlphaBitmap&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  TAlphaFormat AlphaFormat = afIgnored;
  HDC Canvas() const { return dc_.get(); }
  HBITMAP Handle() const { return bitmap_.get(); }

  // The pixel at (x, y), counted from the top row.
  uint8_t* Pixel(int x, int y) { return bits_ + Offset(x, y); }
  const uint8_t* Pixel(int x, int y) const { return bits_ + Offset(x, y); }
  // The start of the pixel memory: the scanline of the last row.
  uint8_t* Bits() const { return bits_; }

 private:
  friend TAlphaBitmap& InitAlphaBitmap(TAlphaBitmap&, int, int);
  void Release();
  size_t Offset(int x, int y) const {
    return (static_cast<size_t>(height_ - 1 - y) * width_ + x) * 4;
  }

  int width_ = 0;
  int height_ = 0;
  uint8_t* bits_ = nullptr;
  ui_win32::UniqueMemoryDC dc_;
  ui_win32::UniqueBitmap bitmap_;
  HGDIOBJ original_ = nullptr;  // the DC's own bitmap, put back before the DC goes
};

using TGPImage = std::unique_ptr<Gdiplus::GpImage, ui_win32::GPImageDispose>;

// `Source` stretched to exactly Width x Height; none when there is no source
// or a size is below 1.
// A source GDI+ cannot read gives a transparent image of the size.
std::optional<TPngImage> ScalePng(const TPngImage* Source, int Width, int Height);

// A GDI+ image of `Png`, loaded from its PNG encoding; none without an image
// or when the stream cannot be made.
TGPImage PngToGPImage(const TPngImage* Png);

// A COM stream over a copy of the whole memory stream (whatever its
// position); false, and no stream, when memory or the stream cannot be had.
bool StreamToIStream(const TMemoryStream& MemoryStream, ui_win32::ComPtr<IStream>& Stream);

// A PNG image of the bitmap's size with the bitmap's alpha; colours of a
// bitmap with alpha are divided back by it (c / a x 255, halves to even, low
// 8 bits kept), those of a bitmap without alpha copied.
TPngImage BitmapToPng(const TAlphaBitmap& Bitmap);

// Makes `Bitmap` a premultiplied Width x Height 32-bit DIB of transparent black.
TAlphaBitmap& InitAlphaBitmap(TAlphaBitmap& Bitmap, int Width, int Height);
