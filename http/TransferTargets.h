#pragma once

#include <memory>
#include <string>

#include "platform/FileDescriptor.h"

// Where a transfer puts the response body.
class TTransferTarget {
 public:
  virtual ~TTransferTarget() = default;
  // False when not every byte was taken.
  virtual bool Write(const char* data, size_t size) = 0;
};

// A growable in-memory byte buffer with a current position.
class TBufferStream : public TTransferTarget {
 public:
  TBufferStream() = default;
  bool Write(const char* data, size_t size) override;
  // Every byte held; moves the position to the start first.
  std::string DataString();

 private:
  std::string data_;
  size_t position_ = 0;
};

// A file created (or emptied) for writing, closed when the object goes.
class TFileTarget : public TTransferTarget {
 public:
  // Null when the file cannot be created.
  static std::unique_ptr<TFileTarget> Create(const std::string& path);
  TFileTarget(const TFileTarget&) = delete;
  TFileTarget& operator=(const TFileTarget&) = delete;
  bool Write(const char* data, size_t size) override;

 private:
  explicit TFileTarget(platform::UniqueFd fd) : fd_(std::move(fd)) {}
  platform::UniqueFd fd_;
};
