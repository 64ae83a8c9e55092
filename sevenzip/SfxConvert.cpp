#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <random>
#include <vector>

#include "platform/Files.h"
#include "sevenzip/FileNames.h"
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
    ssize_t put = 0;
    while (put < got) {
      const ssize_t n = write(out, buffer.data() + put, static_cast<size_t>(got - put));
      if (n <= 0) return false;
      put += n;
    }
    offset += got;
    if (static_cast<size_t>(got) < buffer.size()) return true;
  }
}

class TFile {
 public:
  explicit TFile(int handle) : FHandle(handle) {}
  ~TFile() {
    if (FHandle != kInvalidHandle) close(FHandle);
  }
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;
  int get() const { return FHandle; }
  bool Close() {
    const int handle = FHandle;
    FHandle = kInvalidHandle;
    return handle == kInvalidHandle || close(handle) == 0;
  }

 private:
  int FHandle;
};

// A new file of our own named after `target`, opened for writing; its name
// goes to `name`.
int CreateBeside(const std::string& target, std::string& name) {
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
    name = target + suffix;
    const int fd = WideCreateFile(name, TFileAccess::ReadWrite, TFileDisposition::CreateNew, 0666);
    if (fd != kInvalidHandle || errno != EEXIST) return fd;
  }
  return kInvalidHandle;
}

}  // namespace

bool TSevenZip::CopySFXModuleTo(const std::string& target) {
  // An existing file is never replaced, so a failed copy is removed only
  // when it was not refused for that: what is there then is ours.
  if (WideFileExists(target)) {
    FLastError = EEXIST;
    return false;
  }
  errno = 0;
  if (platform::CopyFile(FSFXModule, target, /*failIfExists=*/true)) return true;
  FLastError = errno != 0 ? errno : EISDIR;  // a folder as module sets none
  if (FLastError != EEXIST) unlink(target.c_str());
  return false;
}

bool TSevenZip::Convert7ztoSFX(const std::string& Fn) {
  const std::string target = WideChangeFileExt(Fn, ".exe");
  // The module keeps its permission bits, so the result can be run.
  if (!CopySFXModuleTo(target)) {
    Report(kErrSFXModule, FSevenZipFileName);
    return false;
  }
  TFile in(WideCreateFile(Fn, TFileAccess::Read, TFileDisposition::OpenExisting));
  TFile out(WideCreateFile(target, TFileAccess::ReadWrite, TFileDisposition::OpenExisting));
  bool ok = in.get() != kInvalidHandle && out.get() != kInvalidHandle &&
            FileSeek64(out.get(), 2, 0) >= 0 && CopyChunks(in.get(), 0, out.get());
  ok = out.Close() && ok;
  // A module without its archive is no self-extractor.
  if (!ok) unlink(target.c_str());
  return ok;
}

bool TSevenZip::ConvertSFXto7z(const std::string& Fn) {
  const std::string target = WideChangeFileExt(Fn, ".7z");
  if (target == Fn) return false;  // it would overwrite its own source
  TFile in(WideCreateFile(Fn, TFileAccess::Read, TFileDisposition::OpenExisting));
  if (in.get() == kInvalidHandle) return false;
  // The copy goes beside the target and replaces it only when complete: an
  // archive that was there survives a copy that fails.
  std::string temp;
  TFile out(CreateBeside(target, temp));
  if (out.get() == kInvalidHandle) return false;
  bool ok = CopyChunks(in.get(), FSFXOffset, out.get());
  ok = out.Close() && ok && rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) unlink(temp.c_str());
  return ok;
}
