#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/FileDescriptor.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/OutputFile.h"
#include "sevenzip/SevenZip.h"

namespace {

constexpr size_t kCopyBuffer = 131072;

// Copies from `in` at `offset` to the end of `out` in 128 KiB chunks, until
// a read comes back short. True when every chunk was written in full and
// no read failed.
bool CopyChunks(int in, int64_t offset, int out) {
  std::vector<char> buffer(kCopyBuffer);
  for (;;) {
    const ssize_t got = pread(in, buffer.data(), buffer.size(), offset);
    if (got < 0) return false;
    if (!platform::WriteAll(out, buffer.data(), static_cast<size_t>(got))) return false;
    offset += got;
    if (static_cast<size_t>(got) < buffer.size()) return true;
  }
}

}  // namespace

bool TSevenZip::CopySFXModuleBeside(const std::string& target, TOutputFile& copy) {
  // An existing file is never replaced.
  if (WideFileExists(target)) {
    FLastError = EEXIST;
    return false;
  }
  if (copy.CopyBeside(FSFXModule, target)) return true;
  FLastError = errno;
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
  platform::UniqueFd in(WideCreateFile(Fn, TFileAccess::Read, TFileDisposition::OpenExisting));
  // A module without its archive is no self-extractor: the copy takes the
  // name only when complete, and never from a file that appeared meanwhile.
  const bool ok =
      in.valid() && FileSeek64(out.Handle(), 2, 0) >= 0 && CopyChunks(in.get(), 0, out.Handle());
  return ok && out.Commit(false);
}

bool TSevenZip::ConvertSFXto7z(const std::string& Fn) {
  const std::string target = WideChangeFileExt(Fn, ".7z");
  if (target == Fn) return false;  // it would overwrite its own source
  platform::UniqueFd in(WideCreateFile(Fn, TFileAccess::Read, TFileDisposition::OpenExisting));
  if (!in.valid()) return false;
  // The copy replaces the target only when complete: an archive that was
  // there survives a copy that fails.
  TOutputFile::SweepBeside(target);
  TOutputFile out;
  return out.CreateBeside(target) && CopyChunks(in.get(), FSFXOffset, out.Handle()) &&
         out.Commit(true);
}
