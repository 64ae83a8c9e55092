#include "sevenzip/ExtractCallbacks.h"

#include "platform/ConfinedFolder.h"
#include "sevenzip/FileNames.h"

using namespace sevenzip;

namespace {

HRESULT GivePassword(TSevenZip* owner, const std::string& password, BSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (password.empty()) return S_FALSE;
  *out = owner->Codec().AllocString(password);
  return *out ? S_OK : E_FAIL;
}

// A folder item's own permission bits, when the archive has them.
std::optional<uint32_t> FolderMode(uint32_t attr) {
  if ((attr & FILE_ATTRIBUTE_UNIX_EXTENSION) == 0) return std::nullopt;
  return PermissionsFromAttributes(attr, 0777);
}

// A file item's permission bits (the writer applies the umask). A link is
// written as a plain file holding its target's name, which gives no one
// more than a text file would get.
uint32_t FileMode(uint32_t attr) {
  const uint32_t mode = PermissionsFromAttributes(attr, 0666);
  return platform::IsLinkAttributes(attr) ? mode & 0644 : mode;
}

}  // namespace

// ---------------------------------------------------------------------------

TMyArchiveOpenCallback::TMyArchiveOpenCallback(TSevenZip* Owner)
    : FSevenzip(Owner), FPassword(Owner->Password()) {}

HRESULT CODEC_CALL TMyArchiveOpenCallback::SetTotal(const uint64_t*, const uint64_t*) noexcept {
  return S_OK;
}

HRESULT CODEC_CALL TMyArchiveOpenCallback::SetCompleted(const uint64_t*, const uint64_t*) noexcept {
  return S_OK;
}

HRESULT CODEC_CALL TMyArchiveOpenCallback::CryptoGetTextPassword(BSTR* Password) noexcept {
  return GivePassword(FSevenzip, FPassword, Password);
}

// ---------------------------------------------------------------------------

TMyArchiveExtractCallback::TMyArchiveExtractCallback(TSevenZip* Owner)
    : FSevenzip(Owner), FPassword(Owner->Password()) {}

TMyArchiveExtractCallback::~TMyArchiveExtractCallback() {
  FinishOutput(false);
}

bool TMyArchiveExtractCallback::Report(int32_t code, const std::string& fileName) {
  return FSevenzip->Guard([&] { FSevenzip->Report(code, fileName); });
}

HRESULT CODEC_CALL TMyArchiveExtractCallback::SetTotal(uint64_t total) noexcept {
  if (FFilestoextract != 0 || !FSevenzip->OnPreProgress) return S_OK;
  const bool ok =
      FSevenzip->Guard([&] { FSevenzip->OnPreProgress(FSevenzip, static_cast<int64_t>(total)); });
  return ok ? S_OK : E_ABORT;
}

HRESULT CODEC_CALL TMyArchiveExtractCallback::SetCompleted(const uint64_t* completeValue) noexcept {
  if (!FProgress.Advance(FSevenzip, completeValue, FSevenzip->OnExtractfile)) return E_ABORT;
  HRESULT result = S_OK;
  if (FAllFilesExt) {
    FStoppedAfterSelection = true;
    result = S_FALSE;
  }
  if (FSevenzip->CancelRequested()) {
    FStoppedAfterSelection = false;
    result = S_FALSE;
    if (!Report(kErrUserCanceled, FProgress.File)) return E_ABORT;
  }
  return result;
}

HRESULT CODEC_CALL TMyArchiveExtractCallback::GetStream(uint32_t index,
                                                        ISequentialOutStream** outStream,
                                                        int32_t askExtractMode) noexcept {
  if (!outStream) return E_INVALIDARG;
  *outStream = nullptr;
  FinishOutput(false);  // an item the codec left without a result
  FItemRefused = false;
  // The codec takes S_FALSE here for damaged data and goes on with the next
  // item; stopping the pass takes E_ABORT.
  if (FSevenzip->CancelRequested()) return E_ABORT;
  try {
    const TCodecLibrary& codec = FSevenzip->Codec();
    if (askExtractMode == kTest) {
      // The codec also tests, rather than writes, the rest of a block it
      // found damaged during an extraction: those are named by their output.
      IInArchive* archive = FSevenzip->CurrentArchive();
      const std::string path = ItemString(codec, archive, index, kpidPath);
      FProgress.Start(FTestPass ? path : OutputPath(path),
                      static_cast<int64_t>(ItemUInt(codec, archive, index, kpidSize)));
      return S_OK;
    }
    if (askExtractMode != kExtract) return S_OK;
    return ExtractItem(index, outStream);
  } catch (...) {
    // Nothing may cross into the codec; the pass stops.
    return E_ABORT;
  }
}

HRESULT TMyArchiveExtractCallback::ExtractItem(uint32_t index, ISequentialOutStream** outStream) {
  const TCodecLibrary& codec = FSevenzip->Codec();
  IInArchive* archive = FSevenzip->CurrentArchive();
  const std::string path = ItemString(codec, archive, index, kpidPath);
  const int64_t size = static_cast<int64_t>(ItemUInt(codec, archive, index, kpidSize));
  const uint32_t attr = static_cast<uint32_t>(ItemUInt(codec, archive, index, kpidAttrib));
  const std::optional<uint64_t> mtime = ItemFileTime(codec, archive, index, kpidMTime);
  bool doOverwrite = (FSevenzip->ExtractOptions() & ExtractOverwrite) != 0;

  std::string out = OutputPath(path);
  const std::string reportName = out;
  if (FSevenzip->OnSetExtractName &&
      !FSevenzip->Guard([&] { FSevenzip->OnSetExtractName(FSevenzip, index, out); }))
    return E_ABORT;
  const bool renamed = out != reportName;

  // The stored path must not reach outside the base folder by its text,
  // even where the application moved the item: a handler that only swaps
  // the base keeps the stored text. Links on disk are the writer's affair.
  std::vector<std::string> components;
  if (!platform::SplitEntryPath(StoredPart(path), &components) || components.empty())
    return Refuse(reportName);
  if (FSevenzip->ExtractOptions() & ExtractNoPath) components = {components.back()};
  if (!FTargets) FTargets.emplace(FExtractDirectory, FJournal);
  TExtractTargets::TTarget target;
  const platform::Result located =
      renamed ? FTargets->Chosen(out, &target) : FTargets->Stored(components, &target);
  if (!located) return CreateFailed(located, reportName);

  if (!doOverwrite && target.Folder->Exists(target.Components)) {
    if (FSevenzip->OnExtractOverwrite &&
        !FSevenzip->Guard([&] { FSevenzip->OnExtractOverwrite(FSevenzip, out, doOverwrite); }))
      return E_ABORT;
    if (!doOverwrite) return S_OK;
  }

  FProgress.Start(out, size);

  if ((attr & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    const platform::Result made = target.Folder->CreateFolders(target.Components, FolderMode(attr));
    return made ? S_OK : Refuse(reportName);
  }
  if (--FFilestoextract == 0) FLastFileToExt = true;

  platform::Result created;
  std::unique_ptr<platform::PendingFile> file =
      target.Folder->CreateFile(target.Components, &created);
  if (!file) {
    // A link in the way refuses the item alone.
    if (platform::ErrorOf(created) == platform::FsError::kLink) return Refuse(reportName);
    return CreateFailed(created, reportName);
  }
  FOutput = ComPtr<TMyPendingFileStream>(new TMyPendingFileStream(std::move(file)));
  FOutputMode = FileMode(attr);
  FOutputTime.reset();
  if (mtime) FOutputTime = FromFileTimeTicks(*mtime);
  FReportName = reportName;
  FOutput->AddRef();
  *outStream = FOutput.get();
  return S_OK;
}

std::string TMyArchiveExtractCallback::StoredPart(const std::string& path) const {
  return (FSevenzip->ExtractOptions() & ExtractNoPath) ? WideExtractFileName(path) : path;
}

std::string TMyArchiveExtractCallback::OutputPath(const std::string& path) const {
  return FExtractDirectory + StoredPart(path);
}

HRESULT TMyArchiveExtractCallback::Refuse(const std::string& reportName) {
  FItemRefused = true;
  FAnyItemFailed = true;
  return Report(kErrCreateFile, reportName) ? S_OK : E_ABORT;
}

HRESULT TMyArchiveExtractCallback::CreateFailed(const platform::Result& why,
                                                const std::string& reportName) {
  FSevenzip->SetLastError(why.code());
  FAnyItemFailed = true;
  Report(kErrCreateFile, reportName);
  return E_ABORT;
}

bool TMyArchiveExtractCallback::FinishOutput(bool keep) {
  if (!FOutput) return true;
  ComPtr<TMyPendingFileStream> output = std::move(FOutput);
  if (!output->Failure()) {
    FSevenzip->SetLastError(output->Failure().code());
    output->Discard();
    return !keep;
  }
  if (!keep) {
    output->Discard();
    return true;
  }
  // Only a complete, verified file replaces the target.
  const platform::Result placed = output->Commit(FOutputMode, FOutputTime);
  if (!placed) FSevenzip->SetLastError(placed.code());
  return placed.ok();
}

HRESULT CODEC_CALL TMyArchiveExtractCallback::PrepareOperation(int32_t) noexcept {
  return S_OK;
}

HRESULT CODEC_CALL
TMyArchiveExtractCallback::SetOperationResult(int32_t resultEOperationResult) noexcept {
  const bool hadOutput = static_cast<bool>(FOutput);
  const bool placed = FinishOutput(resultEOperationResult == kOpOK);
  bool ok = true;
  if (hadOutput && !placed) {
    FAnyItemFailed = true;
    ok = Report(kErrCreateFile, FReportName);
  } else if (resultEOperationResult == kOpOK) {
    if (!FItemRefused) FSevenzip->SetErrCode(kErrSuccess);
  } else {
    FAnyItemFailed = true;
    // Every other outcome (truncated data, wrong password, ...) is a data
    // error too: none of them may pass for success.
    const int32_t code = resultEOperationResult == kOpUnsupportedMethod ? kErrUnsupportedMethod
                         : resultEOperationResult == kOpCRCError        ? kErrCRCError
                                                                        : kErrDataError;
    ok = Report(code, FProgress.File);
  }
  FItemRefused = false;
  if (FLastFileToExt) FAllFilesExt = true;
  return ok ? S_OK : E_ABORT;
}

HRESULT CODEC_CALL TMyArchiveExtractCallback::CryptoGetTextPassword(BSTR* Password) noexcept {
  return GivePassword(FSevenzip, FPassword, Password);
}
