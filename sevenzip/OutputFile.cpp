#include "sevenzip/OutputFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <utility>

#include "platform/Files.h"

TOutputFile::~TOutputFile() {
  Discard();
}

TOutputFile::TOutputFile(TOutputFile&& other) noexcept
    : FName(std::move(other.FName)),
      FTemporary(std::exchange(other.FTemporary, {})),
      FHandle(std::exchange(other.FHandle, kInvalidHandle)) {}

TOutputFile& TOutputFile::operator=(TOutputFile&& other) noexcept {
  if (this != &other) {
    Discard();
    FName = std::move(other.FName);
    FTemporary = std::exchange(other.FTemporary, {});
    FHandle = std::exchange(other.FHandle, kInvalidHandle);
  }
  return *this;
}

bool TOutputFile::CreateInPlace(const std::string& name) {
  Discard();
  FName = name;
  FHandle = WideCreateFile(name, TFileAccess::ReadWrite, TFileDisposition::CreateAlways);
  return FHandle != kInvalidHandle;
}

bool TOutputFile::OpenInPlace(const std::string& name) {
  Discard();
  FName = name;
  FHandle = WideCreateFile(name, TFileAccess::ReadWrite, TFileDisposition::OpenExisting);
  return FHandle != kInvalidHandle;
}

bool TOutputFile::CreateBeside(const std::string& name) {
  Discard();
  FName = name;
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
    const std::string temporary = name + suffix;
    FHandle = WideCreateFile(temporary, TFileAccess::ReadWrite, TFileDisposition::CreateNew, 0666);
    if (FHandle != kInvalidHandle) {
      FTemporary = temporary;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool TOutputFile::CopyBeside(const std::string& source, const std::string& name) {
  if (!CreateBeside(name)) return false;
  errno = 0;
  if (platform::CopyFile(source, FTemporary)) return true;
  const int error = errno != 0 ? errno : EISDIR;  // a folder as source sets none
  Discard();
  errno = error;
  return false;
}

bool TOutputFile::Close() {
  const int handle = std::exchange(FHandle, kInvalidHandle);
  return handle == kInvalidHandle || close(handle) == 0;
}

bool TOutputFile::Commit(bool replace) {
  bool ok = Close();
  if (ok && !FTemporary.empty()) {
    ok = replace ? rename(FTemporary.c_str(), FName.c_str()) == 0
                 : platform::MoveFileNoReplace(FTemporary, FName);
    if (ok) FTemporary.clear();
  }
  const int error = errno;
  if (!ok) Discard();
  errno = error;
  return ok;
}

void TOutputFile::Discard() noexcept {
  const int error = errno;
  Close();
  if (!FTemporary.empty()) unlink(FTemporary.c_str());
  FTemporary.clear();
  errno = error;
}
