#include "sevenzip/OutputFile.h"

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
      FFile(std::move(other.FFile)) {}

TOutputFile& TOutputFile::operator=(TOutputFile&& other) noexcept {
  if (this != &other) {
    Discard();
    FName = std::move(other.FName);
    FTemporary = std::exchange(other.FTemporary, {});
    FFile = std::move(other.FFile);
  }
  return *this;
}

void TOutputFile::SweepBeside(const std::string& name) {
  // A folder that cannot be read cannot be written in either, which the
  // write itself reports.
  platform::SweepStaleTemporaries(platform::FolderOf(name));
}

platform::Result TOutputFile::CreateInPlace(const std::string& name) {
  Discard();
  FName = name;
  return WideCreateFile(name, TFileAccess::kReadWrite, TFileDisposition::kCreateAlways, &FFile);
}

platform::Result TOutputFile::OpenInPlace(const std::string& name) {
  Discard();
  FName = name;
  return WideCreateFile(name, TFileAccess::kReadWrite, TFileDisposition::kOpenExisting, &FFile);
}

platform::Result TOutputFile::CreateBeside(const std::string& name) {
  Discard();
  FName = name;
  const std::string folder = platform::FolderOf(name);
  const std::string target = WideExtractFileName(name);
  platform::Result created;
  // Taken only when a gone process that had our id left that name.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = folder + platform::TemporaryName(target);
    created =
        WideCreateFile(temporary, TFileAccess::kReadWrite, TFileDisposition::kCreateNew, &FFile);
    if (created) {
      FTemporary = temporary;
      return created;
    }
    if (platform::ErrorOf(created) != platform::FsError::kExists) return created;
  }
  return created;
}

platform::Result TOutputFile::CopyBeside(const std::string& source, const std::string& name) {
  Discard();
  FName = name;
  const std::string folder = platform::FolderOf(name);
  const std::string target = WideExtractFileName(name);
  // Taken only when a gone process that had our id left that name.
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = folder + platform::TemporaryName(target);
    if (WideFileExists(temporary)) continue;
    if (platform::CopyFile(source, temporary, true)) {
      FTemporary = temporary;
      return WideCreateFile(temporary, TFileAccess::kReadWrite, TFileDisposition::kOpenExisting,
                            &FFile);
    }
    // A copy cut short leaves its start behind.
    platform::DeleteFile(temporary);
    // Why: the source itself, or the writing.
    platform::PathFile probe;
    const platform::Result readable =
        WideCreateFile(source, TFileAccess::kRead, TFileDisposition::kOpenExisting, &probe);
    if (!readable) return readable;
    return platform::Refused(platform::FsError::kOther, "cannot copy " + source + " to " + name);
  }
  return platform::Refused(platform::FsError::kExists, "no free temporary name beside " + name);
}

platform::Result TOutputFile::Close() {
  return FFile.Close();
}

platform::Result TOutputFile::Commit(bool replace) {
  platform::Result result = Close();
  if (result && !FTemporary.empty()) {
    if (replace) {
      result = platform::RenameReplacing(FTemporary, FName);
    } else if (!platform::MoveFileNoReplace(FTemporary, FName)) {
      result = WideFileExists(FName)
                   ? platform::Refused(platform::FsError::kExists, FName + " exists")
                   : platform::Refused(platform::FsError::kOther, "cannot rename to " + FName);
    }
    if (result) FTemporary.clear();
  }
  if (!result) Discard();
  return result;
}

void TOutputFile::Discard() noexcept {
  FFile.Close();
  if (!FTemporary.empty()) platform::DeleteFile(FTemporary);
  FTemporary.clear();
}
