#include "ui/win32/PngImage.h"

#include <cstring>

#include "ui/win32/GdiHandles.h"
#include "ui/win32/WinGdi.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;
using namespace ui_win32;

namespace {

using UniqueGPImage = std::unique_ptr<GpImage, GPImageDispose>;

bool PngEncoder(CLSID& clsid) {
  UINT count = 0, bytes = 0;
  if (GdipGetImageEncodersSize(&count, &bytes) != Ok || bytes == 0) return false;
  std::vector<uint8_t> buffer(bytes);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  if (GdipGetImageEncoders(count, bytes, codecs) != Ok) return false;
  for (UINT i = 0; i < count; ++i)
    if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      clsid = codecs[i].Clsid;
      return true;
    }
  return false;
}

}  // namespace

TPngImage::TPngImage(int width, int height)
    : width_(width),
      height_(height),
      colour_(static_cast<size_t>(width) * height * 3, 0),
      alpha_(static_cast<size_t>(width) * height, 0) {}

std::vector<uint8_t> TPngImage::StraightBGRA() const {
  std::vector<uint8_t> pixels(alpha_.size() * 4);
  for (size_t i = 0; i < alpha_.size(); ++i) {
    std::memcpy(&pixels[i * 4], &colour_[i * 3], 3);
    pixels[i * 4 + 3] = alpha_[i];
  }
  return pixels;
}

bool TPngImage::SaveToStream(TMemoryStream& stream) const {
  CLSID png;
  if (!PngEncoder(png)) return false;
  std::vector<uint8_t> pixels = StraightBGRA();
  GpBitmap* raw = nullptr;
  // PixelFormat32bppARGB is straight alpha in B, G, R, A byte order.
  if (GdipCreateBitmapFromScan0(width_, height_, width_ * 4, PixelFormat32bppARGB, pixels.data(),
                                &raw) != Ok)
    return false;
  UniqueGPImage bitmap(raw);

  ComPtr<IStream> encoded;
  if (CreateStreamOnHGlobal(nullptr, TRUE, encoded.put()) != S_OK) return false;
  if (GdipSaveImageToStream(bitmap.get(), encoded.get(), &png, nullptr) != Ok) return false;
  HGLOBAL block = nullptr;
  STATSTG stat{};
  if (GetHGlobalFromStream(encoded.get(), &block) != S_OK ||
      encoded->Stat(&stat, STATFLAG_NONAME) != S_OK)
    return false;
  const size_t size = static_cast<size_t>(stat.cbSize.QuadPart);
  const void* data = GlobalLock(block);
  if (!data) return false;
  if (stream.Bytes.size() < stream.Position + size) stream.Bytes.resize(stream.Position + size);
  std::memcpy(stream.Bytes.data() + stream.Position, data, size);
  GlobalUnlock(block);
  stream.Position += size;
  return true;
}

std::optional<TPngImage> TPngImage::LoadFromMemory(const void* data, size_t size) {
  ComPtr<IStream> stream;
  if (CreateStreamOnHGlobal(nullptr, TRUE, stream.put()) != S_OK) return std::nullopt;
  ULONG written = 0;
  if (stream->Write(data, static_cast<ULONG>(size), &written) != S_OK || written != size)
    return std::nullopt;
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);

  GpBitmap* raw = nullptr;
  if (GdipCreateBitmapFromStream(stream.get(), &raw) != Ok) return std::nullopt;
  UniqueGPImage bitmap(raw);
  UINT width = 0, height = 0;
  GdipGetImageWidth(bitmap.get(), &width);
  GdipGetImageHeight(bitmap.get(), &height);
  if (width == 0 || height == 0) return std::nullopt;

  TPngImage image(static_cast<int>(width), static_cast<int>(height));
  const GpRect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  BitmapData locked{};
  if (GdipBitmapLockBits(raw, &all, ImageLockModeRead, PixelFormat32bppARGB, &locked) != Ok)
    return std::nullopt;
  for (UINT y = 0; y < height; ++y) {
    const auto* row =
        static_cast<const uint8_t*>(locked.Scan0) + static_cast<ptrdiff_t>(y) * locked.Stride;
    for (UINT x = 0; x < width; ++x) {
      std::memcpy(image.Pixel(x, y), row + x * 4, 3);
      image.Alpha(x, y) = row[x * 4 + 3];
    }
  }
  GdipBitmapUnlockBits(raw, &locked);
  return image;
}
