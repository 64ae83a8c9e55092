#include "sevenzip/StreamReader.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include <zlib.h>

using namespace sevenzip;

namespace {

constexpr HRESULT kNegativeSeek = static_cast<HRESULT>(0x80070083u);
constexpr uint8_t k7zSignature[6] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};

uint32_t ReadLE32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint64_t ReadLE64(const uint8_t* p) {
  return ReadLE32(p) | uint64_t{ReadLE32(p + 4)} << 32;
}

}  // namespace

std::string VolumeNumber(int32_t n) {
  std::string digits = std::to_string(n);
  if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
  return digits;
}

TMyStreamReader::TMyStreamReader(TSevenZip* Owner, const std::string& sz, bool asArchive)
    : FSevenZip(Owner), arcName(sz), FArchive(asArchive) {
  if (asArchive && OwnerIsSFX()) arcPosition = FSevenZip->SFXOffset();
  FStart = arcPosition;
  if (FSevenZip) FOnOpenVolume = FSevenZip->OnOpenVolume;
  TFiles first;
  first.Name = sz;
  const platform::Result opened =
      WideCreateFile(sz, TFileAccess::kRead, TFileDisposition::kOpenExisting, &first.Handle);
  if (opened) {
    first.Size = FileSize64(first.Handle);
    first.Measured = true;
  } else {
    FOpenError = opened.code();
  }
  // Only volumes are ever asked for, so only an archive needs to know.
  first.OnRemovableDrive = asArchive && IsNotFixedDrive(WideExtractFilePath(sz));
  Files.push_back(std::move(first));
  FSizeKnown = !asArchive && Files[0].Handle.valid();
  arcSize = FSizeKnown ? Files[0].Size : 0;
}

TMyStreamReader::~TMyStreamReader() {
  if (MyLastError != 0 && FSevenZip) FSevenZip->SetLastError(MyLastError);
  for (TFiles& volume : Files) CloseVolume(volume);
}

bool TMyStreamReader::OwnerIsSFX() const {
  return FSevenZip && FSevenZip->IsSFX() && WideUpper(WideExtractFileExt(arcName)) == ".EXE";
}

void TMyStreamReader::CloseVolume(TFiles& volume) {
  volume.Handle.Close();
}

HRESULT CODEC_CALL TMyStreamReader::Read(void* Data, uint32_t Size,
                                         uint32_t* ProcessedSize) noexcept {
  if (ProcessedSize) *ProcessedSize = 0;
  auto* out = static_cast<uint8_t*>(Data);

  // Reading past the end of a lone archive file: it continues in volumes.
  // A first file that could not be opened has nothing to continue.
  if (FArchive && !FSizeKnown && !FMultivolume && Files.size() <= 1 && Files[0].Handle.valid() &&
      arcPosition + Size > Files[0].Size) {
    arcSize = arcPosition + Size;
    FSizeKnown = true;
    if (!OpenLastVolume()) return S_FALSE;
    FMultivolume = true;
  }

  if (!FArchive || !FMultivolume) {
    if (!Files[0].Handle.valid()) {
      MyLastError = FOpenError;  // why there is nothing to read
      return S_OK;
    }
    size_t count = 0;
    if (const platform::Result read = Files[0].Handle.ReadAt(out, Size, arcPosition, &count);
        !read) {
      MyLastError = read.code();
      count = 0;
      // A source file that fails to read must not pass for a shorter one.
      if (!FArchive) return E_FAIL;
    }
    arcPosition += count;
    if (ProcessedSize) *ProcessedSize = static_cast<uint32_t>(count);
    return S_OK;
  }

  // Find the volume that holds the position. Sizes stay known after a
  // volume is closed, so only volumes never opened are opened to measure.
  size_t k = 0;
  int64_t start = 0;  // where volume k begins
  for (;; ++k) {
    const TVolume volume = Measure(k, start);
    if (volume == TVolume::Missing) return S_FALSE;
    if (volume == TVolume::PastEnd) return MyLastError ? S_FALSE : S_OK;  // no data
    if (arcPosition < start + Files[k].Size) break;
    start += Files[k].Size;
    CloseVolume(Files[k]);  // passed: reopened when its bytes are read
  }
  int64_t offset = arcPosition - start;

  uint32_t done = 0;
  while (done < Size) {
    const uint32_t chunk = static_cast<uint32_t>(
        std::min<int64_t>(Size - done, std::max<int64_t>(Files[k].Size - offset, 0)));
    if (chunk > 0) {
      if (!Files[k].Handle.valid() && !OpenVolume(static_cast<int32_t>(k) + 1)) return S_FALSE;
      size_t count = 0;
      if (const platform::Result read = Files[k].Handle.ReadAt(out + done, chunk, offset, &count);
          !read) {
        MyLastError = read.code();
        done = 0;
        break;
      }
      done += static_cast<uint32_t>(count);
      if (static_cast<uint32_t>(count) < chunk) break;  // the volume shrank
    }
    if (done == Size) break;
    // Moving on: the volume just finished is not needed any more.
    start += Files[k].Size;
    CloseVolume(Files[k]);
    ++k;
    offset = 0;
    const TVolume next = Measure(k, start);
    if (next == TVolume::Missing) return S_FALSE;
    if (next == TVolume::PastEnd) break;
  }
  arcPosition += done;
  if (ProcessedSize) *ProcessedSize = done;
  return MyLastError ? S_FALSE : S_OK;
}

TMyStreamReader::TVolume TMyStreamReader::Measure(size_t k, int64_t start) {
  if (k < Files.size() && Files[k].Measured) return TVolume::Known;
  // Past the table only while the start header says bytes are still to come.
  if (k >= Files.size() && (!FHeaderSize || start >= arcSize)) return TVolume::PastEnd;
  return OpenVolume(static_cast<int32_t>(k) + 1) ? TVolume::Known : TVolume::Missing;
}

HRESULT CODEC_CALL TMyStreamReader::Seek(int64_t Offset, uint32_t SeekOrigin,
                                         uint64_t* NewPosition) noexcept {
  int64_t position = arcPosition;
  switch (SeekOrigin) {
    case 0:
      position = Offset;
      break;
    case 1:
      position += Offset;
      break;
    case 2:
      // The codec learns the archive's size this way before it reads a byte,
      // so this is where a split archive is found out.
      if (!FSizeKnown && FArchive) MeasureArchive();
      if (!FSizeKnown) {
        if (NewPosition) *NewPosition = static_cast<uint64_t>(arcPosition);
        return S_FALSE;
      }
      position = arcSize + Offset;
      break;
    default:
      break;
  }
  if (position < 0) return kNegativeSeek;
  arcPosition = position;
  if (NewPosition) *NewPosition = static_cast<uint64_t>(arcPosition);
  return S_OK;
}

HRESULT CODEC_CALL TMyStreamReader::GetSize(uint64_t* Size) noexcept {
  if (!FSizeKnown) return S_FALSE;
  if (Size) *Size = static_cast<uint64_t>(arcSize);
  return S_OK;
}

bool TMyStreamReader::MeasureArchive() {
  if (!Files[0].Handle.valid()) {
    MyLastError = FOpenError;
    return false;
  }
  // The start header says how long the archive is; when the first file is
  // shorter, the rest is in further volumes. A header that fails its check
  // says nothing, and the codec judges the file as it is.
  int64_t expected = Files[0].Size;
  uint8_t header[32];
  size_t got = 0;
  if (Files[0].Handle.ReadAt(header, sizeof header, FStart, &got) && got == sizeof header &&
      std::memcmp(header, k7zSignature, 6) == 0 &&
      ReadLE32(header + 8) == crc32(0, header + 12, 20)) {
    const uint64_t rest = ReadLE64(header + 12) + ReadLE64(header + 20);
    if (rest < (uint64_t{1} << 62)) expected = FStart + 32 + static_cast<int64_t>(rest);
  }
  if (expected <= Files[0].Size) {
    arcSize = Files[0].Size;
    FSizeKnown = true;
    return true;
  }
  // The size is the header's, not the sum of the volumes found: reads then
  // open the volumes as they reach them and ask for any that is missing,
  // wherever it lies, instead of ending the archive at a gap.
  if (Files.size() <= 1 && !OpenLastVolume()) return false;
  arcSize = expected;
  FSizeKnown = true;
  FHeaderSize = true;
  FMultivolume = true;
  return true;
}

std::string TMyStreamReader::VolumeName(int32_t Index) const {
  if (OwnerIsSFX()) return arcName + "." + VolumeNumber(Index);
  return WideChangeFileExt(arcName, "") + "." + VolumeNumber(Index);
}

bool TMyStreamReader::OpenVolume(int32_t Index) {
  if (Index <= 0) return false;
  if (Files.size() >= static_cast<size_t>(Index) && Files[Index - 1].Handle.valid()) return true;
  if (Files.size() < static_cast<size_t>(Index)) Files.resize(Index);
  TFiles& e = Files[Index - 1];
  if (e.Name.empty()) e.Name = VolumeName(Index);
  // The event is asked once. When its answer does not open either, the
  // dialog asks from then on, as for the last volume: an event that never
  // cancels cannot keep the read asking forever, and without a dialog the
  // volume is missing.
  bool eventAsked = false;
  while (!e.Handle.valid()) {
    if (WideCreateFile(e.Name, TFileAccess::kRead, TFileDisposition::kOpenExisting, &e.Handle))
      break;
    bool cancel = false;
    if (FOnOpenVolume && !eventAsked) {
      eventAsked = true;
      const bool answered = !FSevenZip || FSevenZip->Guard([&] {
        FOnOpenVolume(e.Name, e.OnRemovableDrive, cancel);
      });
      if (!answered) cancel = true;
    } else {
      cancel = !BrowseForFile("Select volume", e.Name);
    }
    if (cancel) {
      e.Name.clear();
      return false;
    }
  }
  e.Size = FileSize64(e.Handle);
  e.Measured = true;
  return e.Size > 0;
}

std::string TMyStreamReader::FindLastVolumeName(const std::string& name) const {
  // A split self-extractor is the module itself followed by name.002, ...
  const bool sfx = OwnerIsSFX();
  const std::string ext = WideExtractFileExt(name);
  int32_t number = 1;
  if (!sfx && (ext.empty() || !TryParseInt(ext.substr(1), number) || number < 0)) return {};
  const std::string base = sfx ? name : WideChangeFileExt(name, "");
  std::string current = sfx ? std::string() : base + "." + VolumeNumber(number);
  while (number < INT32_MAX) {
    const std::string candidate = base + "." + VolumeNumber(number + 1);
    if (!WideFileExists(candidate)) break;
    current = candidate;
    ++number;
  }
  return current;
}

namespace {
constexpr int32_t kMaxVolumes = 100000;
}  // namespace

bool TMyStreamReader::OpenLastVolume() {
  const std::string firstName = WideUpper(WideExtractFileName(Files[0].Name));
  for (int pass = 0;; ++pass) {
    // A guess that does not qualify would come out the same again: from the
    // second pass on the user is asked.
    std::string name = pass == 0 ? FindLastVolumeName(arcName) : std::string();
    if (name.empty()) {
      name = arcName;
      if (!BrowseForFile("Select last volume", name)) return false;
    }
    const std::string stem = OwnerIsSFX()
                                 ? WideChangeFileExt(name, "")
                                 : WideChangeFileExt(name, WideExtractFileExt(Files[0].Name));
    if (!WideSameStr(WideUpper(WideExtractFileName(stem)), firstName)) continue;
    int32_t number = 0;
    const std::string ext = WideExtractFileExt(name);
    if (ext.empty() || !TryParseInt(ext.substr(1), number)) number = 0;
    // A number no set of volumes reaches would only size the table beyond memory.
    if (number <= 1 || number > kMaxVolumes) continue;
    if (Files.size() < static_cast<size_t>(number)) Files.resize(number);
    Files[number - 1].Name = name;
    // An empty last volume is what a writer may leave when the archive fills
    // the volumes before it exactly; it holds no byte of the archive.
    return OpenVolume(number) || Files[number - 1].Measured;
  }
}

bool TMyStreamReader::BrowseForFile(const std::string& Title, std::string& Name) {
  if (!FSevenZip || !FSevenZip->OnBrowseForFile) return false;
  const std::string base = WideChangeFileExt(WideExtractFileName(Name), "");
  std::string chosen;
  try {
    if (!FSevenZip->OnBrowseForFile(Title, base + "-volumes", base + ".*",
                                    WideExtractFilePath(Name), chosen))
      return false;
  } catch (...) {
    return false;  // a failing dialog counts as cancelled
  }
  if (chosen.empty()) return false;
  Name = chosen;
  return true;
}
