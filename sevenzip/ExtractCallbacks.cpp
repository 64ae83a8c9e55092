#include "sevenzip/ExtractCallbacks.h"

#include <dirent.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/ProcessExists.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/SafePath.h"

using namespace sevenzip;

namespace {

HRESULT GivePassword(TSevenZip* owner, const std::string& password, BSTR* out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (password.empty()) return S_FALSE;
  *out = owner->Codec().AllocString(password);
  return *out ? S_OK : E_FAIL;
}

const char kTemporaryPrefix[] = ".7z-";

// A name of our own beside `target`, created empty so no one else takes it:
// ".7z-", our process id, "-", eight hex digits. The id tells a later
// extraction whether the writer is gone (see SweepStaleTemporaries).
// The creation mode goes through the umask like any new file's, so an item
// without permission bits of its own ends up as a fresh file would.
std::string MakeTemporaryBeside(const std::string& target, std::minstd_rand& random) {
  const std::string prefix = WideExtractFilePath(target) + kTemporaryPrefix +
                             std::to_string(platform::CurrentProcessId()) + "-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
    const std::string name = prefix + suffix;
    const int fd = WideCreateFile(name, TFileAccess::ReadWrite, TFileDisposition::CreateNew, 0666);
    if (fd >= 0) {
      close(fd);
      return name;
    }
    if (errno != EEXIST) break;
  }
  return {};
}

// The writer's process id in a temporary name of ours, 0 for any other name.
uint32_t TemporaryOwner(const std::string& name) {
  const size_t prefixLength = sizeof kTemporaryPrefix - 1;
  if (name.compare(0, prefixLength, kTemporaryPrefix) != 0) return 0;
  size_t at = prefixLength;
  uint32_t pid = 0;
  while (at < name.size() && name[at] >= '0' && name[at] <= '9' && pid < 100000000)
    pid = pid * 10 + (name[at++] - '0');
  if (at == prefixLength || at >= name.size() || name[at] != '-') return 0;
  if (name.size() - at - 1 != 8) return 0;
  for (size_t i = at + 1; i < name.size(); ++i)
    if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return 0;
  return pid;
}

// A process killed while it wrote an item leaves its temporary file behind,
// as large as the item, and nothing else would ever remove it. Those of
// processes that are gone are removed from a folder before we write there.
void SweepStaleTemporaries(const std::string& folder) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  while (const dirent* entry = readdir(dir)) {
    const uint32_t owner = TemporaryOwner(entry->d_name);
    if (owner == 0 || owner == platform::CurrentProcessId()) continue;
    // A process that still exists, even one we may not signal, keeps its file.
    if (platform::ProcessExists(owner)) continue;
    unlinkat(dirfd(dir), entry->d_name, 0);
  }
  closedir(dir);
}

}  // namespace

// ---------------------------------------------------------------------------

TMyArchiveOpenCallback::TMyArchiveOpenCallback(TSevenZip* Owner)
    : FSevenzip(Owner), FPassword(Owner->Password()) {}

HRESULT TMyArchiveOpenCallback::SetTotal(const uint64_t*, const uint64_t*) noexcept {
  return S_OK;
}

HRESULT TMyArchiveOpenCallback::SetCompleted(const uint64_t*, const uint64_t*) noexcept {
  return S_OK;
}

HRESULT TMyArchiveOpenCallback::CryptoGetTextPassword(BSTR* Password) noexcept {
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

HRESULT TMyArchiveExtractCallback::SetTotal(uint64_t total) noexcept {
  if (FFilestoextract != 0 || !FSevenzip->OnPreProgress) return S_OK;
  const bool ok =
      FSevenzip->Guard([&] { FSevenzip->OnPreProgress(FSevenzip, static_cast<int64_t>(total)); });
  return ok ? S_OK : E_ABORT;
}

HRESULT TMyArchiveExtractCallback::SetCompleted(const uint64_t* completeValue) noexcept {
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

HRESULT TMyArchiveExtractCallback::GetStream(uint32_t index, ISequentialOutStream** outStream,
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

  const std::string stored = StoredPart(path);
  std::string out = OutputPath(path);
  const std::string reportName = out;
  if (FSevenzip->OnSetExtractName &&
      !FSevenzip->Guard([&] { FSevenzip->OnSetExtractName(FSevenzip, index, out); }))
    return E_ABORT;
  const bool renamed = out != reportName;

  // The stored path must not reach outside the base folder, neither by its
  // text nor through a link on disk. Where the application moved the item
  // its folder is the application's affair, but a handler that only swaps
  // the base keeps the stored text, so that is refused whatever the name.
  const bool isFolder = (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (!IsSafeStoredPath(stored) || stored == "." ||
      (!renamed && !StaysInside(FExtractDirectory, isFolder ? out : WideExtractFilePath(out))))
    return Refuse(reportName);

  if (!doOverwrite && WideFileExists(out)) {
    if (FSevenzip->OnExtractOverwrite &&
        !FSevenzip->Guard([&] { FSevenzip->OnExtractOverwrite(FSevenzip, out, doOverwrite); }))
      return E_ABORT;
    if (!doOverwrite) return S_OK;
  }

  FProgress.Start(out, size);

  if (isFolder) {
    WideForceDirectories(out, attr);
    return S_OK;
  }
  if (--FFilestoextract == 0) FLastFileToExt = true;

  // Folders made for a file get default permissions: a file's bits (no
  // execute) would lock everyone out of the folder.
  int32_t error = 0;
  if (!WideForceDirectories(WideExtractFilePath(out), 0)) error = errno;
  if (error == 0 && WideDirectoryExists(out)) error = EISDIR;
  std::string temp;
  if (error == 0) {
    if (FSweptFolders.insert(WideExtractFilePath(out)).second)
      SweepStaleTemporaries(WideExtractFilePath(out));
    temp = MakeTemporaryBeside(out, FTempNames);
    if (temp.empty()) error = errno;
  }
  ComPtr<TMyStreamWriter> writer;
  if (error == 0) {
    // The writer outlives this call; its error target must too.
    writer = TMyStreamWriter::Create(FSevenzip->LastErrorTarget(), temp, mtime, attr, 0, false);
    if (!writer) {
      error = FSevenzip->LastError();
      unlink(temp.c_str());
    }
  }
  if (!writer) {
    FSevenzip->SetLastError(error);
    FAnyItemFailed = true;
    Report(kErrCreateFile, reportName);
    return E_ABORT;
  }
  FWriter = writer;
  FTempPath = temp;
  FTargetPath = out;
  FReportName = reportName;
  writer->AddRef();
  *outStream = writer.get();
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

bool TMyArchiveExtractCallback::FinishOutput(bool keep) {
  if (!FWriter) return true;
  ComPtr<TMyStreamWriter> writer = std::move(FWriter);
  bool placed = false;
  if (writer->Close() && keep) {
    // Only a complete, verified file replaces the target.
    placed = rename(FTempPath.c_str(), FTargetPath.c_str()) == 0;
    if (!placed) FSevenzip->SetLastError(errno);
  } else if (keep) {
    FSevenzip->SetLastError(writer->LastErrorCode());
  }
  if (!placed) unlink(FTempPath.c_str());
  FTempPath.clear();
  return placed || !keep;
}

HRESULT TMyArchiveExtractCallback::PrepareOperation(int32_t) noexcept {
  return S_OK;
}

HRESULT TMyArchiveExtractCallback::SetOperationResult(int32_t resultEOperationResult) noexcept {
  const bool hadOutput = static_cast<bool>(FWriter);
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

HRESULT TMyArchiveExtractCallback::CryptoGetTextPassword(BSTR* Password) noexcept {
  return GivePassword(FSevenzip, FPassword, Password);
}
