#include "ui/win32/QVGDIUtil.h"

#include <cstring>

#include "ui/AlphaMath.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;
using namespace ui_win32;

void TAlphaBitmap::Release() {
  if (dc_ && original_) ::SelectObject(dc_.get(), original_);
  original_ = nullptr;
  bitmap_.reset();
  dc_.reset();
  bits_ = nullptr;
  width_ = height_ = 0;
}

TAlphaBitmap& InitAlphaBitmap(TAlphaBitmap& Bitmap, int Width, int Height) {
  Bitmap.Release();
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = Width;
  info.bmiHeader.biHeight = Height;  // positive: bottom-up rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap.bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  Bitmap.dc_.reset(CreateCompatibleDC(nullptr));
  if (!Bitmap.bitmap_ || !Bitmap.dc_ || !bits) {
    Bitmap.Release();
    return Bitmap;
  }
  Bitmap.original_ = SelectObject(Bitmap.dc_.get(), Bitmap.bitmap_.get());
  Bitmap.width_ = Width;
  Bitmap.height_ = Height;
  Bitmap.bits_ = static_cast<uint8_t*>(bits);
  Bitmap.AlphaFormat = afPremultiplied;
  std::memset(Bitmap.bits_, 0, static_cast<size_t>(Width) * Height * 4);
  return Bitmap;
}

TPngImage BitmapToPng(const TAlphaBitmap& Bitmap) {
  const int width = Bitmap.Width();
  const int height = Bitmap.Height();
  TPngImage png(width, height);
  const bool hasAlpha = Bitmap.AlphaFormat != afIgnored;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint8_t* p = Bitmap.Pixel(x, y);
      const uint8_t a = p[3];
      png.Alpha(x, y) = a;
      uint8_t* c = png.Pixel(x, y);
      // Without alpha the colours stay as a plain source copy of the bitmap
      // onto the image would leave them.
      for (int i = 0; i < 3; ++i) c[i] = hasAlpha ? Unpremultiply(p[i], a) : p[i];
    }
  }
  return png;
}

bool StreamToIStream(const TMemoryStream& MemoryStream, ComPtr<IStream>& Stream) {
  Stream.reset();
  const size_t size = MemoryStream.Bytes.size();
  GlobalBlock block(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!block.get()) return false;
  void* data = GlobalLock(block.get());
  if (!data) return false;
  if (size) std::memcpy(data, MemoryStream.Bytes.data(), size);
  GlobalUnlock(block.get());
  // On success the block belongs to the stream, freed when it is released.
  if (CreateStreamOnHGlobal(block.get(), TRUE, Stream.put()) != S_OK) {
    Stream.reset();
    return false;
  }
  block.release();
  return true;
}

TGPImage PngToGPImage(const TPngImage* Png) {
  if (!Png) return nullptr;
  TMemoryStream memory;
  if (!Png->SaveToStream(memory)) return nullptr;
  memory.Position = 0;
  ComPtr<IStream> stream;
  if (!StreamToIStream(memory, stream)) return nullptr;
  // Without embedded colour management; the image keeps its own reference
  // to the stream for as long as it lives.
  GpImage* image = nullptr;
  if (GdipLoadImageFromStream(stream.get(), &image) != Ok) return nullptr;
  return TGPImage(image);
}

namespace {

// Takes the graphics: each step's is closed before the next one starts.
void DrawStretched(UniqueGPGraphics graphics, GpImage* image, int width, int height) {
  if (!graphics) return;
  GdipSetInterpolationMode(graphics.get(), InterpolationModeHighQualityBicubic);
  GdipDrawImageRectI(graphics.get(), image, 0, 0, width, height);
}

}  // namespace

std::optional<TPngImage> ScalePng(const TPngImage* Source, int Width, int Height) {
  // A size below 1 is outside the callers' contract; nothing rather than a
  // picture that cannot exist.
  if (!Source || Width < 1 || Height < 1) return std::nullopt;
  TGPImage image = PngToGPImage(Source);

  // The status codes are not looked at: a source that cannot be loaded draws
  // nothing and the result stays transparent.
  GpBitmap* rawBitmap = nullptr;
  GdipCreateBitmapFromScan0(Width, Height, 0, PixelFormat32bppARGB, nullptr, &rawBitmap);
  TGPImage bitmap(rawBitmap);
  if (bitmap && image) {
    GpGraphics* raw = nullptr;
    GdipGetImageGraphicsContext(bitmap.get(), &raw);
    DrawStretched(UniqueGPGraphics(raw), image.get(), Width, Height);
  }

  TAlphaBitmap target;
  InitAlphaBitmap(target, Width, Height);
  if (bitmap && target.Canvas()) {
    GpGraphics* raw = nullptr;
    GdipCreateFromHDC(target.Canvas(), &raw);
    DrawStretched(UniqueGPGraphics(raw), bitmap.get(), Width, Height);
  }
  if (!target.Canvas()) return TPngImage(Width, Height);
  return BitmapToPng(target);
}
