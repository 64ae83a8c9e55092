#include "http/TransferTargets.h"
#include "platform/Text.h"
#include "platform/win32/FileDescriptor.h"
#include "platform/win32/UniqueHandle.h"

namespace {

class TFileTarget : public TTransferTarget {
 public:
  explicit TFileTarget(platform::UniqueHandle file) : file_(std::move(file)) {}
  bool Write(const char* data, size_t size) override {
    return platform::WriteAll(file_.get(), data, size);
  }

 private:
  platform::UniqueHandle file_;
};

class THandleUploadFile : public TUploadFile {
 public:
  explicit THandleUploadFile(platform::UniqueHandle file) : file_(std::move(file)) {}
  bool Read(char* buffer, size_t size, size_t* got) override {
    DWORD read = 0;
    const BOOL ok = ::ReadFile(file_.get(), buffer, static_cast<DWORD>(size), &read, nullptr);
    *got = ok ? read : 0;
    return ok != FALSE;
  }

 private:
  platform::UniqueHandle file_;
};

}  // namespace

std::unique_ptr<TTransferTarget> CreateFileTarget(const std::string& path) {
  // Readers are let in: the update run holds its package open (for its lock)
  // while the package is downloaded into it.
  platform::UniqueHandle file(::CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_WRITE,
                                            FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return nullptr;
  return std::make_unique<TFileTarget>(std::move(file));
}

std::unique_ptr<TUploadFile> OpenUploadFile(const std::string& path) {
  platform::UniqueHandle file(::CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return nullptr;
  return std::make_unique<THandleUploadFile>(std::move(file));
}
