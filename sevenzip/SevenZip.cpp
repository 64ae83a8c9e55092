#include "sevenzip/SevenZip.h"

#include "platform/Files.h"
#include "sevenzip/FileNames.h"

using namespace sevenzip;

const char* const kSevenZipMessages[12] = {
    "Success",
    "File not found",
    "Data Error",
    "CRC Error",
    "Unsupported Method",
    "Index out of Range",
    "User canceled operation",
    "File is not an 7z SFX archive",
    "SFXModule error ( Not found )",
    "Could not create SFX",
    "No files to add",
    "Could not create file",
};

// On its own the component looks beside the program that uses it.
TSevenZip::TSevenZip() : TSevenZip(CodecLibraryCandidates(platform::ProgramFolder())) {}

TSevenZip::TSevenZip(const std::vector<std::string>& libraryCandidates)
    : F7zaLibh(std::make_unique<TCodecLibrary>(libraryCandidates)) {
  // Every operation needs both handlers; without them the component is of
  // no use, so construction fails like a missing library does.
  if (F7zaLibh->CreateObject(CLSID_Format7z, IInArchive::kIID, inA.put_void()) != S_OK || !inA ||
      F7zaLibh->CreateObject(CLSID_Format7z, IOutArchive::kIID, outA.put_void()) != S_OK || !outA) {
    throw ECodecLibraryError("Could not create the 7z archive handler of " + F7zaLibh->Path());
  }
}

TSevenZip::~TSevenZip() {
  ClearVolumeNames();
  // The handlers live in the library; they go before it is unloaded.
  inA.reset();
  outA.reset();
  F7zaLibh.reset();
  Ffiles.Clear();
}

void TSevenZip::SetSFXCreate(bool v) {
  FSFXCreate = false;
  if (!v) return;
  const uint32_t moduleSize = FileSizeByName(FSFXModule);
  if (moduleSize == 0) return;
  // The first volume of a split self-extractor holds the module.
  if (FVolumeSize > 0 && static_cast<int64_t>(FVolumeSize) < int64_t{moduleSize} + 7)
    FVolumeSize = static_cast<int32_t>(moduleSize + 7);
  FSFXOffset = moduleSize;
  FSFXCreate = true;
}

void TSevenZip::SetVolumeSize(int32_t v) {
  if (FSFXCreate && v > 0 && v < FSFXOffset)
    FVolumeSize = static_cast<int32_t>(FSFXOffset + 7);
  else
    FVolumeSize = v;
}

void TSevenZip::Report(int32_t code, const std::string& fileName) {
  FErrCode = code;
  if (OnMessage) OnMessage(this, code, kSevenZipMessages[code], fileName);
}

bool TSevenZip::Guard(const std::function<void()>& handler) noexcept {
  try {
    handler();
    return true;
  } catch (...) {
    if (!FPendingException) FPendingException = std::current_exception();
    return false;
  }
}

void TSevenZip::RethrowPending() {
  if (std::exception_ptr pending = std::exchange(FPendingException, nullptr))
    std::rethrow_exception(pending);
}
