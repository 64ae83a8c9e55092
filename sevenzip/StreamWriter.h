#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sevenzip/InterfacedObject.h"
#include "sevenzip/OutputFile.h"
#include "sevenzip/StreamReader.h"

// The codec's output stream: one extracted file, or a new archive cut into
// volumes of `VolumeSize` bytes and optionally appended to a copied
// self-extractor module.
//
// Files are dated and given their permission bits when the writer is closed,
// not when they are created: on this platform every write moves the
// modification time, so a date set first would not survive.
class TMyStreamWriter final : public sevenzip::TInterfacedObject<sevenzip::IOutStream> {
 public:
  // Creates the first output file, written in place. On failure returns
  // null and stores the platform error code in `*PLastError` (when given).
  // `szDate` is a file time (100-ns ticks since 1601, UTC); none leaves the
  // system's time.
  static sevenzip::ComPtr<TMyStreamWriter> Create(int32_t* PLastError, const std::string& sz,
                                                  std::optional<uint64_t> szDate, uint32_t FAttr,
                                                  uint32_t VolumeSize, bool CreateSFX);
  // The same for an archive that replaces what has its names only when it
  // is complete: every volume is written beside its final name and Commit
  // puts the set in place. `Module`, when open, is volume 1's start: a copy
  // of the self-extractor module beside `sz`, which must not exist.
  static sevenzip::ComPtr<TMyStreamWriter> CreateBeside(int32_t* PLastError, const std::string& sz,
                                                        std::optional<uint64_t> szDate,
                                                        uint32_t FAttr, uint32_t VolumeSize,
                                                        TOutputFile Module = {});

  sevenzip::HRESULT CODEC_CALL Write(const void* Data, uint32_t Size,
                                     uint32_t* ProcessedSize) noexcept override;
  sevenzip::HRESULT CODEC_CALL Seek(int64_t Offset, uint32_t SeekOrigin,
                                    uint64_t* NewPosition) noexcept override;
  sevenzip::HRESULT CODEC_CALL SetSize(uint64_t newSize) noexcept override;

  // Dates the files, applies permission bits and closes them. False when a
  // write failed earlier or a file could not be closed cleanly. A date that
  // cannot be set never fails it.
  bool Close();
  // Closes the files and gives them their final names, then removes the
  // higher volumes of an earlier set of the same name. False when a write
  // failed earlier or a file could not be put in place; the files not yet
  // in place are then removed, as they are when the writer goes without a
  // commit.
  bool Commit();

  int32_t LastErrorCode() const { return MyLastError; }
  // Names of the files created, in volume order.
  std::vector<std::string> FileNames() const;

 private:
  TMyStreamWriter(int32_t* PLastError, const std::string& sz, std::optional<uint64_t> szDate,
                  uint32_t FAttr, uint32_t VolumeSize, bool CreateSFX, bool Beside);
  ~TMyStreamWriter() override;
  std::string VolumeName(size_t number) const;
  bool CreateNextVolume();

  std::string arcName;
  std::optional<uint64_t> arcDate;
  uint32_t arcAttr;
  bool arcCreateSFX;
  uint32_t arcVolumeSize;
  int64_t arcPosition = 0;
  int64_t arcSize = 0;
  int32_t* FPLastError;
  int32_t MyLastError = 0;
  std::vector<TOutputFile> Files;
  bool FBeside;
  bool FClosed = false;
};
