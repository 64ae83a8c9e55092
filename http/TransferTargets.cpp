#include "http/TransferTargets.h"

#include <cstring>

bool TBufferStream::Write(const char* data, size_t size) {
  if (position_ + size > data_.size()) data_.resize(position_ + size);
  std::memcpy(data_.data() + position_, data, size);
  position_ += size;
  return true;
}

std::string TBufferStream::DataString() {
  if (data_.empty()) return {};
  position_ = 0;
  return data_;
}
