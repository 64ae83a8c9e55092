#include "http/TransferTargets.h"

#include <fcntl.h>

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

// The transfer is the component that owns this file, so it writes it itself.
std::unique_ptr<TFileTarget> TFileTarget::Create(const std::string& path) {
  platform::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd.valid()) return nullptr;
  return std::unique_ptr<TFileTarget>(new TFileTarget(std::move(fd)));
}

bool TFileTarget::Write(const char* data, size_t size) {
  return platform::WriteAll(fd_.get(), data, size);
}
