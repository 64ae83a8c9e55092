#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sevenzip/InterfacedObject.h"
#include "sevenzip/ItemProgress.h"
#include "sevenzip/SevenZip.h"

// Answers the codec's questions while it writes a new archive: each item's
// stored name, size, attributes and time, and a reader for each file's data.
class TMyArchiveUpdateCallback final
    : public sevenzip::TInterfacedObject<sevenzip::IArchiveUpdateCallback,
                                         sevenzip::ICryptoGetTextPassword2> {
 public:
  explicit TMyArchiveUpdateCallback(TSevenZip* Owner);

  sevenzip::HRESULT CODEC_CALL SetTotal(uint64_t total) noexcept override;
  sevenzip::HRESULT CODEC_CALL SetCompleted(const uint64_t* completeValue) noexcept override;
  sevenzip::HRESULT CODEC_CALL GetUpdateItemInfo(uint32_t index, int32_t* newData,
                                                 int32_t* newProperties,
                                                 uint32_t* indexInArchive) noexcept override;
  sevenzip::HRESULT CODEC_CALL GetProperty(uint32_t index, sevenzip::PROPID propID,
                                           sevenzip::PROPVARIANT* value) noexcept override;
  sevenzip::HRESULT CODEC_CALL
  GetStream(uint32_t index, sevenzip::ISequentialInStream** inStream) noexcept override;
  sevenzip::HRESULT CODEC_CALL SetOperationResult(int32_t operationResult) noexcept override;
  sevenzip::HRESULT CODEC_CALL CryptoGetTextPassword2(int32_t* passwordIsDefined,
                                                      sevenzip::BSTR* Password) noexcept override;

  // Appends one item. The arrays grow as vectors do: a fixed step would copy
  // them all again every hundred items of a large tree.
  void AddItem(const std::string& path, int64_t size, uint64_t mtime, uint32_t attr);
  void TrimItems();
  size_t ItemCount() const { return Files.size(); }
  // The name item `index` is stored under.
  std::string StoredName(uint32_t index);
  // `path` relative to RootDir when it lies below it, without leading
  // separators or a drive; before OnSetAddName and AddStoreOnlyFilename.
  std::string RelativeName(const std::string& path, bool isFolder) const;
  // Whether a source file could not be read and was left out.
  bool AnySourceSkipped() const { return FAnySourceSkipped; }

  std::vector<std::string> Files;
  std::vector<int64_t> Files_size;
  std::vector<uint64_t> Files_Date;
  std::vector<uint32_t> Files_Attr;
  std::string RootDir;

 private:
  // The same with a drive kept, as the name handler sees it.
  std::string RootRelative(const std::string& path, bool isFolder) const;

  TSevenZip* FSevenZip;
  TItemProgress FProgress;
  std::string FPassword;
  bool FAnySourceSkipped = false;
};
