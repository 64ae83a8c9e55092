#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/ConfinedFolder.h"
#include "sevenzip/InterfacedObject.h"

// The codec's output stream for one extracted file: a pending file of the
// confined writer, put in place only by Commit.
class TMyPendingFileStream final
    : public sevenzip::TInterfacedObject<sevenzip::ISequentialOutStream> {
 public:
  explicit TMyPendingFileStream(std::unique_ptr<platform::PendingFile> file);

  // After a failed write every later one fails too, and nothing is written.
  sevenzip::HRESULT CODEC_CALL Write(const void* Data, uint32_t Size,
                                     uint32_t* ProcessedSize) noexcept override;

  // The first write failure, if any.
  const platform::Result& Failure() const { return FFailure; }
  // Renames the file over its target (see platform::PendingFile::Commit).
  platform::Result Commit(std::optional<uint32_t> mode, std::optional<platform::FileTime> modified);
  // Removes the file; later writes fail.
  void Discard();

 private:
  ~TMyPendingFileStream() override = default;
  std::unique_ptr<platform::PendingFile> FFile;
  platform::Result FFailure;
};
