#include "sevenzip/StreamWriter.h"

#include <algorithm>

#include "platform/Files.h"
#include "platform/FolderHandle.h"

using namespace sevenzip;

ComPtr<TMyStreamWriter> TMyStreamWriter::Create(int32_t* PLastError, const std::string& sz,
                                                std::optional<uint64_t> szDate, uint32_t FAttr,
                                                uint32_t VolumeSize, bool CreateSFX) {
  ComPtr<TMyStreamWriter> writer(
      new TMyStreamWriter(PLastError, sz, szDate, FAttr, VolumeSize, CreateSFX, false));
  if (!writer->CreateNextVolume()) return {};  // releasing it reports the error
  return writer;
}

ComPtr<TMyStreamWriter> TMyStreamWriter::CreateBeside(int32_t* PLastError, const std::string& sz,
                                                      std::optional<uint64_t> szDate,
                                                      uint32_t FAttr, uint32_t VolumeSize,
                                                      TOutputFile Module) {
  const bool sfx = Module.File().valid();
  ComPtr<TMyStreamWriter> writer(
      new TMyStreamWriter(PLastError, sz, szDate, FAttr, VolumeSize, sfx, true));
  if (sfx) {
    writer->arcPosition = FileSize64(Module.File());  // the archive follows the module
    writer->Files.push_back(std::move(Module));
  } else if (!writer->CreateNextVolume()) {
    return {};
  }
  return writer;
}

TMyStreamWriter::TMyStreamWriter(int32_t* PLastError, const std::string& sz,
                                 std::optional<uint64_t> szDate, uint32_t FAttr,
                                 uint32_t VolumeSize, bool CreateSFX, bool Beside)
    : arcName(sz),
      arcDate(szDate),
      arcAttr(FAttr),
      arcCreateSFX(CreateSFX),
      arcVolumeSize(VolumeSize),
      FPLastError(PLastError),
      FBeside(Beside) {}

TMyStreamWriter::~TMyStreamWriter() {
  Close();
  if (FPLastError && MyLastError != 0) *FPLastError = MyLastError;
}

std::string TMyStreamWriter::VolumeName(size_t number) const {
  if (arcVolumeSize == 0 || (arcCreateSFX && number == 1)) return arcName;
  return arcName + "." + VolumeNumber(static_cast<int32_t>(number));
}

bool TMyStreamWriter::CreateNextVolume() {
  const std::string name = VolumeName(Files.size() + 1);
  TOutputFile file;
  platform::Result created;
  if (arcCreateSFX && Files.empty())
    created = file.OpenInPlace(name);
  else
    created = FBeside ? file.CreateBeside(name) : file.CreateInPlace(name);
  if (!created) {
    MyLastError = created.code();
    return false;
  }
  if (arcCreateSFX && Files.empty()) arcPosition = FileSize64(file.File());
  Files.push_back(std::move(file));
  MyLastError = 0;  // a volume created clears an earlier write error
  return true;
}

HRESULT CODEC_CALL TMyStreamWriter::Write(const void* Data, uint32_t Size,
                                          uint32_t* ProcessedSize) noexcept {
  if (ProcessedSize) *ProcessedSize = 0;
  const auto* in = static_cast<const uint8_t*>(Data);
  uint32_t done = 0;
  if (arcVolumeSize > 0) {
    // A volume is made only when a byte goes into it: a write that ends on
    // a volume's end leaves no empty volume after it.
    const int64_t needed = (arcPosition + Size + arcVolumeSize - 1) / arcVolumeSize;
    while (static_cast<int64_t>(Files.size()) < needed) {
      if (!CreateNextVolume()) return S_FALSE;
    }
    size_t k = static_cast<size_t>(arcPosition / arcVolumeSize);
    int64_t offset = arcPosition % arcVolumeSize;
    while (done < Size) {
      uint32_t chunk = Size - done;
      if (offset + chunk > arcVolumeSize) chunk = static_cast<uint32_t>(arcVolumeSize - offset);
      if (const platform::Result written = Files[k].File().WriteAt(in + done, chunk, offset);
          !written) {
        MyLastError = written.code();
        done = 0;
        break;
      }
      done += chunk;
      ++k;
      offset = 0;
    }
  } else if (const platform::Result written = Files[0].File().WriteAt(in, Size, arcPosition);
             written) {
    done = Size;
  } else {
    MyLastError = written.code();
  }
  arcPosition += done;
  arcSize = std::max(arcSize, arcPosition);
  if (ProcessedSize) *ProcessedSize = done;
  return MyLastError ? S_FALSE : S_OK;
}

HRESULT CODEC_CALL TMyStreamWriter::Seek(int64_t Offset, uint32_t SeekOrigin,
                                         uint64_t* NewPosition) noexcept {
  switch (SeekOrigin) {
    case 0:
      arcPosition = Offset;
      break;
    case 1:
      arcPosition += Offset;
      break;
    case 2:
      arcPosition = arcSize + Offset;
      break;
    default:
      break;
  }
  arcSize = std::max(arcSize, arcPosition);
  if (NewPosition) *NewPosition = static_cast<uint64_t>(arcPosition);
  return S_OK;
}

HRESULT CODEC_CALL TMyStreamWriter::SetSize(uint64_t) noexcept {
  return S_FALSE;
}

bool TMyStreamWriter::Close() {
  if (FClosed) return MyLastError == 0;
  FClosed = true;
  // Unix bits from the archive; without them the creation mode and umask
  // stand, less the write bits for a read-only item.
  const bool ownBits = (arcAttr & FILE_ATTRIBUTE_UNIX_EXTENSION) != 0;
  const bool readOnly = (arcAttr & FILE_ATTRIBUTE_READONLY) != 0;
  for (TOutputFile& file : Files) {
    platform::PathFile& handle = file.File();
    if (!handle.valid()) continue;
    // Best effort: neither bits nor a date ever fail the file.
    if (ownBits || readOnly)
      handle.SetPermissions(PermissionsFromAttributes(arcAttr, 0666 & ~platform::CreationMask()));
    if (arcDate) handle.SetModified(FromFileTimeTicks(*arcDate));
    if (const platform::Result closed = file.Close(); !closed && MyLastError == 0)
      MyLastError = closed.code();
  }
  return MyLastError == 0;
}

bool TMyStreamWriter::Commit() {
  if (!Close()) return false;
  for (size_t k = 0; k < Files.size(); ++k) {
    // A self-extractor never replaces a file of its name, as its module
    // copy would not have.
    if (const platform::Result placed = Files[k].Commit(!(arcCreateSFX && k == 0)); !placed) {
      MyLastError = placed.code();
      return false;
    }
  }
  // An earlier set of more volumes would otherwise read on into its own.
  if (arcVolumeSize > 0) {
    size_t number = Files.size() + 1;
    while (platform::DeleteFile(VolumeName(number))) ++number;
  }
  return true;
}

std::vector<std::string> TMyStreamWriter::FileNames() const {
  std::vector<std::string> names;
  for (const TOutputFile& file : Files) names.push_back(file.Name());
  return names;
}
