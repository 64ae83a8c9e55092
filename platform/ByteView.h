#pragma once

#include <cstdint>
#include <vector>

namespace platform {

// Little-endian reads from a byte buffer that never go past its end: a read
// out of range gives 0, a slice out of range is empty.
class ByteView {
 public:
  explicit ByteView(const std::vector<uint8_t>& bytes) : b_(bytes) {}
  size_t size() const { return b_.size(); }
  bool Has(uint64_t offset, uint64_t length) const {
    return offset <= b_.size() && length <= b_.size() - offset;
  }
  uint16_t U16(uint64_t o) const { return Has(o, 2) ? b_[o] | (b_[o + 1] << 8) : 0; }
  uint32_t U32(uint64_t o) const {
    return Has(o, 4) ? static_cast<uint32_t>(U16(o)) | (static_cast<uint32_t>(U16(o + 2)) << 16)
                     : 0;
  }
  uint64_t U64(uint64_t o) const {
    return static_cast<uint64_t>(U32(o)) | (static_cast<uint64_t>(U32(o + 4)) << 32);
  }
  std::vector<uint8_t> Slice(uint64_t offset, uint64_t length) const {
    if (!Has(offset, length)) return {};
    return std::vector<uint8_t>(b_.begin() + offset, b_.begin() + offset + length);
  }
  const uint8_t* data() const { return b_.data(); }

 private:
  const std::vector<uint8_t>& b_;
};

}  // namespace platform
