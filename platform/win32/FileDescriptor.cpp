#include "platform/win32/FileDescriptor.h"

#include <algorithm>

namespace platform {

namespace {

// WriteFile and ReadFile take a 32-bit count.
constexpr size_t kMaxChunk = 1u << 30;

OVERLAPPED At(int64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset));
  at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
  return at;
}

bool WriteChunks(HANDLE file, const void* data, size_t size, const int64_t* offset) {
  const char* p = static_cast<const char*>(data);
  int64_t position = offset ? *offset : 0;
  while (size > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min(size, kMaxChunk));
    DWORD written = 0;
    OVERLAPPED at = At(position);
    if (!::WriteFile(file, p, chunk, &written, offset ? &at : nullptr)) return false;
    p += written;
    size -= written;
    position += written;
  }
  return true;
}

}  // namespace

bool WriteAll(HANDLE file, const void* data, size_t size) {
  return WriteChunks(file, data, size, nullptr);
}

bool WriteAllAt(HANDLE file, const void* data, size_t size, int64_t offset) {
  return WriteChunks(file, data, size, &offset);
}

bool ReadAll(HANDLE file, std::string* content) {
  content->clear();
  char buffer[1 << 16];
  while (true) {
    DWORD got = 0;
    OVERLAPPED at = At(static_cast<int64_t>(content->size()));
    if (!::ReadFile(file, buffer, sizeof buffer, &got, &at))
      return ::GetLastError() == ERROR_HANDLE_EOF;
    if (got == 0) return true;
    content->append(buffer, got);
  }
}

}  // namespace platform
