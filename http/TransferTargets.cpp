#include "http/TransferTargets.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

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
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  return std::unique_ptr<TFileTarget>(new TFileTarget(fd));
}

TFileTarget::~TFileTarget() {
  ::close(fd_);
}

bool TFileTarget::Write(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}
