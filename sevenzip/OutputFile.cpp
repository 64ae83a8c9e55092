#include "sevenzip/OutputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/Files.h"
#include "platform/Temporaries.h"
#include "sevenzip/FileNames.h"

TOutputFile::~TOutputFile() {
  Discard();
}

TOutputFile::TOutputFile(TOutputFile&& other) noexcept
    : FName(std::move(other.FName)),
      FTemporary(std::exchange(other.FTemporary, {})),
      FHandle(std::move(other.FHandle)) {}

TOutputFile& TOutputFile::operator=(TOutputFile&& other) noexcept {
  if (this != &other) {
    Discard();
    FName = std::move(other.FName);
    FTemporary = std::exchange(other.FTemporary, {});
    FHandle = std::move(other.FHandle);
  }
  return *this;
}

void TOutputFile::SweepBeside(const std::string& name) {
  const platform::UniqueFd folder(
      open(platform::FolderOf(name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  // A folder that cannot be opened cannot be written in either, which the
  // write itself reports.
  if (folder.valid()) platform::SweepStaleTemporaries(folder.get());
}

bool TOutputFile::CreateInPlace(const std::string& name) {
  Discard();
  FName = name;
  FHandle.reset(WideCreateFile(name, TFileAccess::ReadWrite, TFileDisposition::CreateAlways));
  return FHandle.valid();
}

bool TOutputFile::OpenInPlace(const std::string& name) {
  Discard();
  FName = name;
  FHandle.reset(WideCreateFile(name, TFileAccess::ReadWrite, TFileDisposition::OpenExisting));
  return FHandle.valid();
}

bool TOutputFile::CreateBeside(const std::string& name) {
  Discard();
  FName = name;
  const std::string folder = platform::FolderOf(name);
  const std::string target = name.substr(name.rfind(platform::kPathSeparator) + 1);
  // Taken only when a gone process that had our id left that name.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = folder + platform::TemporaryName(target);
    FHandle.reset(
        WideCreateFile(temporary, TFileAccess::ReadWrite, TFileDisposition::CreateNew, 0666));
    if (FHandle.valid()) {
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
  return FHandle.Close();
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
  FHandle.reset();
  if (!FTemporary.empty()) unlink(FTemporary.c_str());
  FTemporary.clear();
  errno = error;
}
