#include <algorithm>

#include "sevenzip/ExtractCallbacks.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/SevenZip.h"
#include "sevenzip/StreamReader.h"

using namespace sevenzip;

namespace {

// Closes the archive and clears the cancel flag however the operation ends.
class TOperationEnd {
 public:
  TOperationEnd(IInArchive* archive, bool& cancel, bool resetCancel)
      : FArchive(archive), FCancel(cancel), FResetCancel(resetCancel) {}
  ~TOperationEnd() {
    FArchive->Close();
    if (FResetCancel) FCancel = false;
  }

 private:
  IInArchive* FArchive;
  bool& FCancel;
  bool FResetCancel;
};

}  // namespace

bool TSevenZip::IsExeName(const std::string& name) const {
  return WideUpper(WideExtractFileExt(name)) == ".EXE";
}

bool TSevenZip::OpenArchive(bool withCallback) {
  ComPtr<TMyStreamReader> reader(new TMyStreamReader(this, FSevenZipFileName, true));
  ComPtr<TMyArchiveOpenCallback> callback;
  if (withCallback) callback = ComPtr<TMyArchiveOpenCallback>(new TMyArchiveOpenCallback(this));
  inA->Close();
  return inA->Open(reader.get(), nullptr, callback.get()) == S_OK;
}

int32_t TSevenZip::FindItemIndex(const std::string& name) {
  const std::string wanted = WideUpper(name);
  uint32_t count = 0;
  if (inA->GetNumberOfItems(&count) != S_OK) return -1;
  for (uint32_t i = 0; i < count; ++i) {
    if (WideSameStr(WideUpper(ItemString(*F7zaLibh, inA.get(), i, kpidPath)), wanted))
      return static_cast<int32_t>(i);
  }
  return -1;
}

int32_t TSevenZip::Extract(bool TestArchive) {
  int32_t result = -1;
  {
    TOperationEnd end(inA.get(), FMainCancel, true);
    if (IsExeName(FSevenZipFileName) && !SFXCheck(FSevenZipFileName)) {
      Report(kErrNotSFX, FSevenZipFileName);
      return -1;
    }
    if (!OpenArchive(true)) {
      Report(kErrFileNotFound, FSevenZipFileName);
      RethrowPending();  // a volume question that failed is why; not the next call's
      return -1;
    }

    uint32_t count = 0;
    inA->GetNumberOfItems(&count);
    const int64_t last = static_cast<int64_t>(count) - 1;
    std::vector<uint32_t> indices;
    int64_t total = 0;
    for (const std::string& entry : Ffiles.WStrings) {
      int32_t index = -1;
      if (!TryParseInt(entry, index)) index = FindItemIndex(entry);
      if (index < 0 || index > last) {
        Report(kErrIndexOutOfRange, "");
        RethrowPending();
        return -1;
      }
      total += static_cast<int64_t>(ItemUInt(*F7zaLibh, inA.get(), index, kpidSize));
      indices.push_back(static_cast<uint32_t>(index));
    }
    if (total > 0 && OnPreProgress) OnPreProgress(this, total);
    if (indices.size() > 1) SortIndices(indices);

    ComPtr<TMyArchiveExtractCallback> callback(new TMyArchiveExtractCallback(this));
    callback->FExtractDirectory = AddBackslash(FExtrBaseDir);
    callback->FJournal = FExtractJournal;
    callback->FTestPass = TestArchive;
    callback->FFilestoextract = Ffiles.Count;
    callback->FAllFilesExt = false;
    callback->FLastFileToExt = false;
    const uint32_t numItems =
        Ffiles.Count == 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(indices.size());
    result = inA->Extract(Ffiles.Count == 0 ? nullptr : indices.data(), numItems,
                          TestArchive ? 1 : 0, callback.get());
    // Stopping once every selected file is done is our own doing, not a
    // failure; an item that failed makes the pass fail even when the codec
    // itself went through.
    if (result != S_OK && callback->StoppedAfterSelection()) result = S_OK;
    if (result == S_OK && callback->AnyItemFailed()) result = S_FALSE;
  }
  RethrowPending();
  return result;
}
