#include <vector>

#include "sevenzip/FileNames.h"
#include "sevenzip/OutputFile.h"
#include "sevenzip/SevenZip.h"

namespace {

constexpr size_t kCopyBuffer = 131072;

// Copies from `in` at `offset` to the end of `out` in 128 KiB chunks, until
// a read comes back short. True when every chunk was written in full and
// no read failed.
bool CopyChunks(const platform::PathFile& in, int64_t offset, platform::PathFile& out) {
  std::vector<char> buffer(kCopyBuffer);
  int64_t end = FileSize64(out);
  if (end < 0) return false;
  for (;;) {
    size_t got = 0;
    if (!in.ReadAt(buffer.data(), buffer.size(), offset, &got)) return false;
    if (!out.WriteAt(buffer.data(), got, end)) return false;
    offset += static_cast<int64_t>(got);
    end += static_cast<int64_t>(got);
    if (got < buffer.size()) return true;
  }
}

}  // namespace

bool TSevenZip::CopySFXModuleBeside(const std::string& target, TOutputFile& copy) {
  // An existing file is never replaced.
  if (WideFileExists(target)) {
    FLastError = platform::Refused(platform::FsError::kExists, target).code();
    return false;
  }
  const platform::Result copied = copy.CopyBeside(FSFXModule, target);
  if (copied) return true;
  FLastError = copied.code();
  return false;
}

bool TSevenZip::Convert7ztoSFX(const std::string& Fn) {
  const std::string target = WideChangeFileExt(Fn, ".exe");
  TOutputFile::SweepBeside(target);
  // The module keeps its permission bits, so the result can be run.
  TOutputFile out;
  if (!CopySFXModuleBeside(target, out)) {
    Report(kErrSFXModule, FSevenZipFileName);
    return false;
  }
  platform::PathFile in;
  // A module without its archive is no self-extractor: the copy takes the
  // name only when complete, and never from a file that appeared meanwhile.
  const bool ok = WideCreateFile(Fn, TFileAccess::kRead, TFileDisposition::kOpenExisting, &in) &&
                  CopyChunks(in, 0, out.File());
  return ok && out.Commit(false);
}

bool TSevenZip::ConvertSFXto7z(const std::string& Fn) {
  const std::string target = WideChangeFileExt(Fn, ".7z");
  if (target == Fn) return false;  // it would overwrite its own source
  platform::PathFile in;
  if (!WideCreateFile(Fn, TFileAccess::kRead, TFileDisposition::kOpenExisting, &in)) return false;
  // The copy replaces the target only when complete: an archive that was
  // there survives a copy that fails.
  TOutputFile::SweepBeside(target);
  TOutputFile out;
  return out.CreateBeside(target) && CopyChunks(in, FSFXOffset, out.File()) && out.Commit(true);
}
