#include "sevenzip/FileNames.h"
#include "sevenzip/SevenZip.h"
#include "sevenzip/StreamReader.h"

using namespace sevenzip;

int32_t TSevenZip::List() {
  const int32_t result = ListItems();
  RethrowPending();  // from a volume question asked while opening
  return result;
}

int32_t TSevenZip::ListItems() {
  struct TEnd {
    TSevenZip& self;
    ~TEnd() {
      self.inA->Close();
      self.ResetCancel();
    }
  } end{*this};

  Ffiles.Clear();
  FNumberOfFiles = -1;
  if (IsExeName(FSevenZipFileName) && !SFXCheck(FSevenZipFileName)) {
    Report(kErrNotSFX, FSevenZipFileName);
    return -1;
  }
  if (!OpenArchive(true)) {
    Report(kErrFileNotFound, FSevenZipFileName);
    return -1;
  }
  uint32_t count = 0;
  inA->GetNumberOfItems(&count);
  FNumberOfFiles = static_cast<int32_t>(count);
  for (uint32_t i = 0; i < count; ++i) {
    const std::string path = ItemString(*F7zaLibh, inA.get(), i, kpidPath);
    const uint64_t size = ItemUInt(*F7zaLibh, inA.get(), i, kpidSize);
    const uint64_t packed = ItemUInt(*F7zaLibh, inA.get(), i, kpidPackSize);
    const uint32_t attr = static_cast<uint32_t>(ItemUInt(*F7zaLibh, inA.get(), i, kpidAttrib));
    const uint32_t crc = static_cast<uint32_t>(ItemUInt(*F7zaLibh, inA.get(), i, kpidCRC));
    const std::string method = ItemString(*F7zaLibh, inA.get(), i, kpidMethod);
    const std::optional<uint64_t> mtime = ItemFileTime(*F7zaLibh, inA.get(), i, kpidMTime);
    // A failing handler costs only its own item.
    try {
      const bool isFolder = (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
      const std::string methodText = !isFolder && size != 0 ? method : "None";
      Ffiles.AddString(isFolder ? AddBackslash(path) : path);
      if (OnListfile) {
        OnListfile(this, path, i, static_cast<int64_t>(size), static_cast<int64_t>(packed),
                   attr & ~0x2000u, crc, methodText, mtime ? FileTimeToDateTime(*mtime, 1) : 0.0);
      }
    } catch (...) {
    }
  }
  return FNumberOfFiles;
}

int32_t TSevenZip::GetIndexByFilename(const std::string& FileToExtract) {
  int32_t result = -1;
  {
    struct TEnd {
      IInArchive* archive;
      ~TEnd() { archive->Close(); }
    } end{inA.get()};
    if (OpenArchive(false)) result = FindItemIndex(FileToExtract);
  }
  RethrowPending();
  return result;
}
