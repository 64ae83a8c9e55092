#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// A memory stream: bytes and a position in them.
struct TMemoryStream {
  std::vector<uint8_t> Bytes;
  size_t Position = 0;
};

// A PNG image object: colour as blue, green, red bytes per pixel plus a
// separate alpha plane (PNG colour type 6, bit depth 8). Pixels start
// transparent black.
class TPngImage {
 public:
  TPngImage(int width, int height);

  int Width() const { return width_; }
  int Height() const { return height_; }

  // Three bytes: blue, green, red.
  uint8_t* Pixel(int x, int y) { return &colour_[Index(x, y) * 3]; }
  const uint8_t* Pixel(int x, int y) const { return &colour_[Index(x, y) * 3]; }
  uint8_t& Alpha(int x, int y) { return alpha_[Index(x, y)]; }
  uint8_t Alpha(int x, int y) const { return alpha_[Index(x, y)]; }

  // Straight blue, green, red, alpha bytes of every pixel, rows top-down.
  std::vector<uint8_t> StraightBGRA() const;

  // Encodes the image as a PNG file at the stream's position (GDI+).
  bool SaveToStream(TMemoryStream& stream) const;
  // Decodes a PNG file (GDI+); none when it is not one.
  static std::optional<TPngImage> LoadFromMemory(const void* data, size_t size);

 private:
  size_t Index(int x, int y) const { return static_cast<size_t>(y) * width_ + x; }

  int width_;
  int height_;
  std::vector<uint8_t> colour_;
  std::vector<uint8_t> alpha_;
};
