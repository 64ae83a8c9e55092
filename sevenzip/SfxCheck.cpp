#include <unistd.h>

#include <cstring>
#include <vector>

#include "sevenzip/ExecutableEnd.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/SevenZip.h"

namespace {

constexpr uint8_t kSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
constexpr int64_t kScanStart = 65536;
constexpr size_t kScanLength = 81920;

}  // namespace

bool TSevenZip::SFXCheck(const std::string& Fn) {
  if (!IsExeName(Fn)) return false;
  FSFXOffset = 0;
  FIsSFX = false;
  const int handle = WideCreateFile(Fn, TFileAccess::Read, TFileDisposition::OpenExisting);
  if (handle == kInvalidHandle) return false;
  const int64_t size = FileSeek64(handle, 2, 0);

  std::vector<uint8_t> buffer(kScanLength);
  const ssize_t count = pread(handle, buffer.data(), buffer.size(), kScanStart);
  for (ssize_t p = 0; p + 6 <= count; ++p) {
    if (std::memcmp(buffer.data() + p, kSignature, 6) == 0) {
      FSFXOffset = kScanStart + p;
      FIsSFX = true;
      break;
    }
  }
  if (!FIsSFX) {
    // The module's own headers say where it ends, so a module of any size
    // (this platform's is far larger than the scanned window) is found.
    const std::optional<int64_t> candidate = ExecutableEnd(handle);
    uint8_t probe[6] = {};
    if (candidate && *candidate != size &&
        pread(handle, probe, sizeof probe, *candidate) == static_cast<ssize_t>(sizeof probe) &&
        std::memcmp(probe, kSignature, 6) == 0) {
      FSFXOffset = *candidate;
      FIsSFX = true;
    }
  }
  close(handle);
  return FIsSFX;
}
