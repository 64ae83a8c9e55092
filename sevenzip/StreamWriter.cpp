#include "sevenzip/StreamWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileDescriptor.h"

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
  const bool sfx = Module.Handle() != kInvalidHandle;
  ComPtr<TMyStreamWriter> writer(
      new TMyStreamWriter(PLastError, sz, szDate, FAttr, VolumeSize, sfx, true));
  if (sfx) {
    writer->arcPosition = FileSeek64(Module.Handle(), 2, 0);  // the archive follows the module
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
  bool created;
  if (arcCreateSFX && Files.empty())
    created = file.OpenInPlace(name);
  else
    created = FBeside ? file.CreateBeside(name) : file.CreateInPlace(name);
  if (!created) {
    MyLastError = errno;
    return false;
  }
  if (arcCreateSFX && Files.empty()) arcPosition = FileSeek64(file.Handle(), 2, 0);
  Files.push_back(std::move(file));
  MyLastError = 0;  // a volume created clears an earlier write error
  return true;
}

HRESULT TMyStreamWriter::Write(const void* Data, uint32_t Size, uint32_t* ProcessedSize) noexcept {
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
      if (!platform::WriteAllAt(Files[k].Handle(), in + done, chunk, offset)) {
        MyLastError = errno;
        done = 0;
        break;
      }
      done += chunk;
      ++k;
      offset = 0;
    }
  } else if (platform::WriteAllAt(Files[0].Handle(), in, Size, arcPosition)) {
    done = Size;
  } else {
    MyLastError = errno;
  }
  arcPosition += done;
  arcSize = std::max(arcSize, arcPosition);
  if (ProcessedSize) *ProcessedSize = done;
  return MyLastError ? S_FALSE : S_OK;
}

HRESULT TMyStreamWriter::Seek(int64_t Offset, uint32_t SeekOrigin, uint64_t* NewPosition) noexcept {
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

HRESULT TMyStreamWriter::SetSize(uint64_t) noexcept {
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
    const int handle = file.Handle();
    if (handle == kInvalidHandle) continue;
    if (ownBits) {
      fchmod(handle, PermissionsFromAttributes(arcAttr, 0666));
    } else if (readOnly) {
      struct stat st {};
      if (fstat(handle, &st) == 0) fchmod(handle, st.st_mode & 0555);
    }
    if (arcDate) {
      int64_t seconds, nanoseconds;
      FileTimeToUnix(*arcDate, seconds, nanoseconds);
      const struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, nanoseconds}};
      futimens(handle, times);  // best effort: a date never fails the file
    }
    if (!file.Close() && MyLastError == 0) MyLastError = errno;
  }
  return MyLastError == 0;
}

bool TMyStreamWriter::Commit() {
  if (!Close()) return false;
  for (size_t k = 0; k < Files.size(); ++k) {
    // A self-extractor never replaces a file of its name, as its module
    // copy would not have.
    if (!Files[k].Commit(!(arcCreateSFX && k == 0))) {
      MyLastError = errno;
      return false;
    }
  }
  // An earlier set of more volumes would otherwise read on into its own.
  if (arcVolumeSize > 0) {
    size_t number = Files.size() + 1;
    while (unlink(VolumeName(number).c_str()) == 0) ++number;
  }
  return true;
}

std::vector<std::string> TMyStreamWriter::FileNames() const {
  std::vector<std::string> names;
  for (const TOutputFile& file : Files) names.push_back(file.Name());
  return names;
}
