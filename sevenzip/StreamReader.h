#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sevenzip/FileNames.h"
#include "sevenzip/InterfacedObject.h"
#include "sevenzip/SevenZip.h"

// One volume file.
struct TFiles {
  std::string Name;
  platform::PathFile Handle;  // not valid() while the volume is closed
  int64_t Size = 0;
  bool OnRemovableDrive = false;
  bool Measured = false;  // Size is the file's, also once it is closed again
};
using TArrayOfFiles = std::vector<TFiles>;

// The codec's input stream: an archive (possibly inside a self-extractor,
// possibly split into numbered volumes presented as one byte range) or one
// source file to compress.
class TMyStreamReader final
    : public sevenzip::TInterfacedObject<sevenzip::IInStream, sevenzip::IStreamGetSize> {
 public:
  // `Owner` may be null for a plain source file.
  TMyStreamReader(TSevenZip* Owner, const std::string& sz, bool asArchive);

  sevenzip::HRESULT CODEC_CALL Read(void* Data, uint32_t Size,
                                    uint32_t* ProcessedSize) noexcept override;
  sevenzip::HRESULT CODEC_CALL Seek(int64_t Offset, uint32_t SeekOrigin,
                                    uint64_t* NewPosition) noexcept override;
  sevenzip::HRESULT CODEC_CALL GetSize(uint64_t* Size) noexcept override;

  bool OpenVolume(int32_t Index);
  bool OpenNextVolume() { return OpenVolume(static_cast<int32_t>(Files.size()) + 1); }
  bool OpenLastVolume();
  bool BrowseForFile(const std::string& Title, std::string& Name);

  // For tests: the volume table as it stands.
  const TArrayOfFiles& Volumes() const { return Files; }
  int64_t Position() const { return arcPosition; }
  // Why the first file could not be opened (0 when it was).
  int32_t OpenError() const { return FOpenError; }

 private:
  ~TMyStreamReader() override;
  // Learns the archive's full size, and whether it goes on in volumes.
  bool MeasureArchive();
  enum class TVolume { Known, Missing, PastEnd };
  // Volume k (starting at `start` in the archive), measured, opening or
  // asking for it when it never was.
  TVolume Measure(size_t k, int64_t start);
  std::string VolumeName(int32_t Index) const;
  std::string FindLastVolumeName(const std::string& name) const;
  // The owner's finding applies to the self-extractor it was made for: an
  // .exe. A plain archive read later by the same component starts at 0.
  bool OwnerIsSFX() const;
  static void CloseVolume(TFiles& volume);

  TSevenZip* FSevenZip;
  std::string arcName;
  int64_t arcPosition = 0;
  int64_t arcSize = 0;
  TArrayOfFiles Files;
  TOpenVolume FOnOpenVolume;
  bool FArchive;
  int32_t MyLastError = 0;
  bool FMultivolume = false;
  int64_t FStart = 0;        // where the archive starts in the first file
  bool FSizeKnown = false;   // arcSize may be told to the codec
  bool FHeaderSize = false;  // arcSize is what the start header says
  int32_t FOpenError = 0;
};

// The volume number as written in names: at least three digits.
std::string VolumeNumber(int32_t n);
