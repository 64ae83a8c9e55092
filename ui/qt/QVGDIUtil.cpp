#include "ui/qt/QVGDIUtil.h"

#include "ui/AlphaMath.h"

#include <pixman.h>

#include <algorithm>
#include <bit>
#include <cstring>

// The bitmap's B, G, R, A bytes are read as pixman's a8r8g8b8 words.
static_assert(std::endian::native == std::endian::little);

namespace {

struct FilterParams {
  pixman_fixed_t* values = nullptr;
  int count = 0;
  ~FilterParams() { free(values); }
};

}  // namespace

void TGPImageRelease::operator()(pixman_image* image) const {
  pixman_image_unref(image);
}

TGPImage PngToGPImage(const QImage* Png) {
  if (!Png || Png->isNull()) return nullptr;
  // Format_ARGB32_Premultiplied is a8r8g8b8 in native byte order, as pixman
  // wants it; pixman allocates its own rows so the image outlives `Png`.
  const QImage premultiplied = Png->convertToFormat(QImage::Format_ARGB32_Premultiplied);
  TGPImage image(
      pixman_image_create_bits(PIXMAN_a8r8g8b8, Png->width(), Png->height(), nullptr, 0));
  if (!image) return nullptr;
  auto* rows = reinterpret_cast<uint8_t*>(pixman_image_get_data(image.get()));
  const int stride = pixman_image_get_stride(image.get());
  for (int y = 0; y < premultiplied.height(); ++y)
    std::memcpy(rows + static_cast<size_t>(y) * stride, premultiplied.constScanLine(y),
                static_cast<size_t>(premultiplied.width()) * 4);
  return image;
}

TAlphaBitmap& InitAlphaBitmap(TAlphaBitmap& Bitmap, int Width, int Height) {
  Bitmap.Width = Width;
  Bitmap.Height = Height;
  Bitmap.AlphaFormat = afPremultiplied;
  Bitmap.Bits.assign(static_cast<size_t>(Width) * Height * 4, 0);
  return Bitmap;
}

QImage BitmapToPng(const TAlphaBitmap& Bitmap) {
  QImage png(Bitmap.Width, Bitmap.Height, QImage::Format_ARGB32);
  const bool hasAlpha = Bitmap.AlphaFormat != afIgnored;
  for (int y = 0; y < Bitmap.Height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(png.scanLine(y));
    for (int x = 0; x < Bitmap.Width; ++x) {
      const uint8_t* p = Bitmap.Pixel(x, y);
      const uint8_t b = p[0], g = p[1], r = p[2], a = p[3];
      line[x] = hasAlpha ? qRgba(Unpremultiply(r, a), Unpremultiply(g, a), Unpremultiply(b, a), a)
                         : qRgba(r, g, b, a);
    }
  }
  return png;
}

std::optional<QImage> ScalePng(const QImage* Source, int Width, int Height) {
  if (!Source || Width < 1 || Height < 1) return std::nullopt;
  TAlphaBitmap bitmap;
  InitAlphaBitmap(bitmap, Width, Height);

  // A source that cannot be read leaves the result transparent.
  if (TGPImage source = PngToGPImage(Source)) {
    const int sourceWidth = pixman_image_get_width(source.get());
    const int sourceHeight = pixman_image_get_height(source.get());
    const double scaleX = static_cast<double>(sourceWidth) / Width;
    const double scaleY = static_cast<double>(sourceHeight) / Height;

    pixman_transform_t transform;
    pixman_transform_init_scale(&transform, pixman_double_to_fixed(scaleX),
                                pixman_double_to_fixed(scaleY));
    pixman_image_set_transform(source.get(), &transform);
    pixman_image_set_repeat(source.get(), PIXMAN_REPEAT_PAD);

    // Bicubic reconstruction; when shrinking, each target pixel also averages
    // the source area it covers, so thin strokes do not break up.
    FilterParams params;
    params.values = pixman_filter_create_separable_convolution(
        &params.count, pixman_double_to_fixed(std::max(scaleX, 1.0)),
        pixman_double_to_fixed(std::max(scaleY, 1.0)), PIXMAN_KERNEL_CUBIC, PIXMAN_KERNEL_CUBIC,
        scaleX > 1 ? PIXMAN_KERNEL_BOX : PIXMAN_KERNEL_IMPULSE,
        scaleY > 1 ? PIXMAN_KERNEL_BOX : PIXMAN_KERNEL_IMPULSE, 4, 4);
    if (params.values)
      pixman_image_set_filter(source.get(), PIXMAN_FILTER_SEPARABLE_CONVOLUTION, params.values,
                              params.count);
    else
      pixman_image_set_filter(source.get(), PIXMAN_FILTER_BEST, nullptr, 0);

    TGPImage target(pixman_image_create_bits(PIXMAN_a8r8g8b8, Width, Height,
                                             reinterpret_cast<uint32_t*>(bitmap.Bits.data()),
                                             Width * 4));
    if (target)
      pixman_image_composite32(PIXMAN_OP_SRC, source.get(), nullptr, target.get(), 0, 0, 0, 0, 0, 0,
                               Width, Height);

    // The cubic kernel overshoots at hard edges and can leave a colour above
    // its alpha; clamp so the bitmap is valid premultiplied and the division
    // below cannot wrap.
    for (size_t i = 0; i < bitmap.Bits.size(); i += 4)
      for (size_t c = 0; c < 3; ++c)
        bitmap.Bits[i + c] = std::min(bitmap.Bits[i + c], bitmap.Bits[i + 3]);
  }
  return BitmapToPng(bitmap);
}
