#pragma once

#include <cstddef>
#include <memory>
#include <string>

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

// A file created (or emptied) for writing and shared with nobody, closed when
// the object goes; null when it cannot be created.
std::unique_ptr<TTransferTarget> CreateFileTarget(const std::string& path);

// A file read for an upload; others may read and write it meanwhile.
class TUploadFile {
 public:
  virtual ~TUploadFile() = default;
  // Up to `size` bytes; `*got` 0 at the end. False when the read fails.
  virtual bool Read(char* buffer, size_t size, size_t* got) = 0;
};

// Null when the file cannot be opened.
std::unique_ptr<TUploadFile> OpenUploadFile(const std::string& path);
