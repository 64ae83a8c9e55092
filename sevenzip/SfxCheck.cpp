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
  platform::PathFile handle;
  if (!WideCreateFile(Fn, TFileAccess::kRead, TFileDisposition::kOpenExisting, &handle))
    return false;
  const int64_t size = FileSize64(handle);

  std::vector<uint8_t> buffer(kScanLength);
  size_t count = 0;
  if (!handle.ReadAt(buffer.data(), buffer.size(), kScanStart, &count)) count = 0;
  for (size_t p = 0; p + 6 <= count; ++p) {
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
    size_t got = 0;
    if (candidate && *candidate != size && handle.ReadAt(probe, sizeof probe, *candidate, &got) &&
        got == sizeof probe && std::memcmp(probe, kSignature, 6) == 0) {
      FSFXOffset = *candidate;
      FIsSFX = true;
    }
  }
  return FIsSFX;
}
