#include "sevenzip/PendingFileStream.h"

#include <cerrno>

using namespace sevenzip;

TMyPendingFileStream::TMyPendingFileStream(std::unique_ptr<platform::PendingFile> file)
    : FFile(std::move(file)) {}

HRESULT CODEC_CALL TMyPendingFileStream::Write(const void* Data, uint32_t Size,
                                               uint32_t* ProcessedSize) noexcept {
  if (ProcessedSize) *ProcessedSize = 0;
  if (!FFailure) return S_FALSE;
  if (!FFile) {
    FFailure = platform::Result::Failure(EBADF, "the file was discarded");
    return S_FALSE;
  }
  FFailure = FFile->Write(Data, Size);
  if (!FFailure) return S_FALSE;
  if (ProcessedSize) *ProcessedSize = Size;
  return S_OK;
}

platform::Result TMyPendingFileStream::Commit(std::optional<uint32_t> mode,
                                              std::optional<platform::FileTime> modified) {
  if (!FFailure) return FFailure;
  if (!FFile) return platform::Result::Failure(EBADF, "the file was discarded");
  platform::Result result = FFile->Commit(mode, modified);
  FFile.reset();
  return result;
}

void TMyPendingFileStream::Discard() {
  FFile.reset();
}
