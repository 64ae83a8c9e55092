#include <fcntl.h>

#include <cstdio>

#include "http/TransferTargets.h"
#include "platform/FileDescriptor.h"

namespace {

class TFileTarget : public TTransferTarget {
 public:
  explicit TFileTarget(platform::UniqueFd fd) : fd_(std::move(fd)) {}
  bool Write(const char* data, size_t size) override {
    return platform::WriteAll(fd_.get(), data, size);
  }

 private:
  platform::UniqueFd fd_;
};

class TStdioUploadFile : public TUploadFile {
 public:
  explicit TStdioUploadFile(std::FILE* file) : file_(file) {}
  ~TStdioUploadFile() override { std::fclose(file_); }
  bool Read(char* buffer, size_t size, size_t* got) override {
    *got = std::fread(buffer, 1, size, file_);
    return *got > 0 || !std::ferror(file_);
  }

 private:
  std::FILE* file_;
};

}  // namespace

// The transfer is the component that owns this file, so it writes it itself.
std::unique_ptr<TTransferTarget> CreateFileTarget(const std::string& path) {
  platform::UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd.valid()) return nullptr;
  return std::make_unique<TFileTarget>(std::move(fd));
}

std::unique_ptr<TUploadFile> OpenUploadFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  return std::make_unique<TStdioUploadFile>(file);
}
