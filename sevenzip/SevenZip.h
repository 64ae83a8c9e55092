#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "sevenzip/CodecInterfaces.h"
#include "sevenzip/CodecLibrary.h"
#include "sevenzip/ComPtr.h"
#include "sevenzip/WideStringList.h"

class TSevenZip;
class TMyArchiveUpdateCallback;
class TOutputFile;

namespace platform {
class UpdateJournal;
}

namespace sevenzip {
// The silent abort: raised by Add when its output file cannot be created
// (LastError holds the reason).
class EAbort : public std::runtime_error {
 public:
  EAbort() : std::runtime_error("Operation aborted") {}
};
}  // namespace sevenzip

enum TCompressType : uint8_t { LZMA, PPMD };
enum TCompressStrength : uint8_t { SAVE, FAST, NORMAL, MAXIMUM, ULTRA };
using TLZMAStrength = uint8_t;  // 0..27
using TPPMDMem = uint8_t;       // 1..31
using TPPMDSize = uint8_t;      // 2..32

enum AddOptsEnum : uint8_t {
  AddRecurseDirs = 1 << 0,
  AddSolid = 1 << 1,
  AddStoreOnlyFilename = 1 << 2,
  AddIncludeDriveLetter = 1 << 3,
  AddEncryptFilename = 1 << 4,
};
using AddOpts = uint8_t;

enum ExtractOptsEnum : uint8_t {
  ExtractNoPath = 1 << 0,
  ExtractOverwrite = 1 << 1,
};
using ExtractOpts = uint8_t;

using TWideStringArray = std::vector<std::string>;

using T7zListfileEvent =
    std::function<void(TSevenZip* Sender, const std::string& Filename, int64_t Fileindex,
                       int64_t FileSizeU, int64_t FileSizeP, int64_t Fileattr, int64_t Filecrc,
                       const std::string& Filemethod, double FileTime)>;
using T7zExtractfileEvent =
    std::function<void(TSevenZip* Sender, const std::string& Filename, int64_t Filesize)>;
using T7zAddFileEvent =
    std::function<void(TSevenZip* Sender, const std::string& Filename, int64_t Filesize)>;
using T7zPreProgressEvent = std::function<void(TSevenZip* Sender, int64_t MaxProgress)>;
using T7zProgressEvent = std::function<void(TSevenZip* Sender, const std::string& Filename,
                                            int64_t FilePosArc, int64_t FilePosFile)>;
using T7zMessageEvent = std::function<void(
    TSevenZip* Sender, int32_t ErrCode, const std::string& Message, const std::string& Filename)>;
using T7zSetNewNameEvent =
    std::function<void(TSevenZip* Sender, uint32_t FileIndex, std::string& OldFileName)>;
using T7zExtractOverwrite =
    std::function<void(TSevenZip* Sender, const std::string& FileName, bool& DoOverwrite)>;
using TOpenVolume = std::function<void(std::string& arcFileName, bool Removable, bool& Cancel)>;
// The open-file dialog, set by the application: shows `Title` with one
// filter (`FilterName`, `Pattern`) in `InitialFolder`; true and the chosen
// path in `Name`, or false when the user cancels.
using TBrowseForFile = std::function<bool(const std::string& Title, const std::string& FilterName,
                                          const std::string& Pattern,
                                          const std::string& InitialFolder, std::string& Name)>;

// Error codes and their messages, indexed by the code.
enum : int32_t {
  kErrSuccess = 0,
  kErrFileNotFound = 1,
  kErrDataError = 2,
  kErrCRCError = 3,
  kErrUnsupportedMethod = 4,
  kErrIndexOutOfRange = 5,
  kErrUserCanceled = 6,
  kErrNotSFX = 7,
  kErrSFXModule = 8,
  kErrCreateSFX = 9,
  kErrNoFilesToAdd = 10,
  kErrCreateFile = 11,
};
extern const char* const kSevenZipMessages[12];

// The 7z archive component: lists, tests, extracts and creates 7z archives
// through the codec library, including split volumes and self-extractors.
// Failures are reported by results, ErrCode, LastError and OnMessage. What
// throws: construction when the codec cannot be loaded
// (sevenzip::ECodecLibraryError), Add when its output cannot be created
// (sevenzip::EAbort), and any operation whose event handler threw: that
// exception reaches the caller once the operation has closed the archive.
class TSevenZip {
 public:
  TSevenZip();
  // Loads the codec from the first of `libraryCandidates` that loads.
  explicit TSevenZip(const std::vector<std::string>& libraryCandidates);
  ~TSevenZip();
  TSevenZip(const TSevenZip&) = delete;
  TSevenZip& operator=(const TSevenZip&) = delete;

  int32_t Add();
  int32_t Extract(bool TestArchive);
  int32_t List();
  void Cancel() { FMainCancel = true; }
  int32_t GetIndexByFilename(const std::string& FileToExtract);
  bool SFXCheck(const std::string& Fn);
  bool ConvertSFXto7z(const std::string& Fn);
  bool Convert7ztoSFX(const std::string& Fn);

  // Published properties.
  const std::string& AddRootDir() const { return FRootDir; }
  void SetAddRootDir(const std::string& v) { FRootDir = v; }
  bool SFXCreate() const { return FSFXCreate; }
  void SetSFXCreate(bool v);
  const std::string& SFXModule() const { return FSFXModule; }
  void SetSFXModule(const std::string& v) { FSFXModule = v; }
  AddOpts AddOptions() const { return FAddOptions; }
  void SetAddOptions(AddOpts v) { FAddOptions = v; }
  ExtractOpts ExtractOptions() const { return FExtractOptions; }
  void SetExtractOptions(ExtractOpts v) { FExtractOptions = v; }
  const std::string& ExtrBaseDir() const { return FExtrBaseDir; }
  void SetExtrBaseDir(const std::string& v) { FExtrBaseDir = v; }
  // Records every change Extract makes in `journal`, which must outlive the
  // extraction; none (the default) writes through a plain confined writer.
  void SetExtractJournal(platform::UpdateJournal* journal) { FExtractJournal = journal; }
  TCompressType LZMACompressType() const { return FCompresstype; }
  void SetLZMACompressType(TCompressType v) { FCompresstype = v; }
  TCompressStrength LZMACompressStrength() const { return FCompstrength; }
  void SetLZMACompressStrength(TCompressStrength v) { FCompstrength = v; }
  TLZMAStrength LZMAStrength() const { return FLZMAStrength; }
  void SetLZMAStrength(TLZMAStrength v) { FLZMAStrength = v; }
  TPPMDMem LPPMDmem() const { return FPPMDMem; }
  void SetLPPMDmem(TPPMDMem v) { FPPMDMem = v; }
  TPPMDSize LPPMDsize() const { return FPPMDSize; }
  void SetLPPMDsize(TPPMDSize v) { FPPMDSize = v; }
  const std::string& SZFileName() const { return FSevenZipFileName; }
  void SetSZFileName(const std::string& v) { FSevenZipFileName = v; }
  int32_t NumberOfFiles() const { return FNumberOfFiles; }
  int32_t VolumeSize() const { return FVolumeSize; }
  void SetVolumeSize(int32_t v);
  const std::string& Password() const { return FPassword; }
  void SetPassword(const std::string& v) { FPassword = v; }

  T7zListfileEvent OnListfile;
  T7zAddFileEvent OnAddfile;
  T7zExtractfileEvent OnExtractfile;
  T7zProgressEvent OnProgress;
  T7zPreProgressEvent OnPreProgress;
  T7zMessageEvent OnMessage;
  T7zSetNewNameEvent OnSetAddName;
  T7zSetNewNameEvent OnSetExtractName;
  T7zExtractOverwrite OnExtractOverwrite;
  TOpenVolume OnOpenVolume;
  TBrowseForFile OnBrowseForFile;

  // Public properties.
  uintptr_t Handle() const { return FHandle; }
  void SetHandle(uintptr_t v) { FHandle = v; }
  int32_t ErrCode() const { return FErrCode; }
  int32_t LastError() const { return FLastError; }
  bool IsSFX() const { return FIsSFX; }
  int64_t SFXOffset() const { return FSFXOffset; }
  const std::string& SevenZipComment() const { return FComment; }
  void SetSevenZipComment(const std::string& v) { FComment = v; }
  TWideStringList_& Files() { return Ffiles; }
  const TWideStringArray& NamesOfVolumesWritten() const { return FNamesOfVolumesWritten; }

  // The loaded codec library (for its allocator and version).
  const sevenzip::TCodecLibrary& Codec() const { return *F7zaLibh; }

  // Used by the component's stream and callback objects.
  bool CancelRequested() const { return FMainCancel; }
  void SetLastError(int32_t code) { FLastError = code; }
  // Where a stream object leaves its failure when it is released.
  int32_t* LastErrorTarget() { return &FLastError; }
  void SetErrCode(int32_t code) { FErrCode = code; }
  // The archive handler; open only inside Extract, List and GetIndexByFilename.
  sevenzip::IInArchive* CurrentArchive() const { return inA.get(); }
  // Sets ErrCode and tells OnMessage.
  void Report(int32_t code, const std::string& fileName);
  // Runs an event handler raised from inside the codec's pass. An exception
  // from it is kept (the first one) and rethrown once the pass has ended;
  // false tells the caller to stop the pass.
  bool Guard(const std::function<void()>& handler) noexcept;

 private:
  void ResetCancel() { FMainCancel = false; }
  void ClearVolumeNames() { FNamesOfVolumesWritten.clear(); }
  int32_t FindItemIndex(const std::string& name);
  int32_t ListItems();
  struct TItems;  // what Add collects
  void AddDirEntry(TItems& items, const std::string& folder);
  void ScanDir(TItems& items, const std::string& folder, const std::string& pattern);
  // Opens SZFileName in inA; false when the codec refuses it.
  bool OpenArchive(bool withCallback);
  bool IsExeName(const std::string& name) const;
  // A copy of SFXModule beside `target`, which must not exist yet, to be
  // committed under that name; LastError says why it failed.
  bool CopySFXModuleBeside(const std::string& target, TOutputFile& copy);
  void RethrowPending();

  int32_t FErrCode = 0;
  int32_t FLastError = 0;
  uintptr_t FHandle = 0;
  std::string FExtrBaseDir;
  platform::UpdateJournal* FExtractJournal = nullptr;
  std::string FSevenZipFileName;
  std::string FComment;
  std::string FRootDir;
  TWideStringList_ Ffiles;
  AddOpts FAddOptions = 0;
  ExtractOpts FExtractOptions = 0;
  int32_t FNumberOfFiles = -1;
  bool FIsSFX = false;
  int64_t FSFXOffset = 0;
  bool FSFXCreate = false;
  std::string FSFXModule = "7z.sfx";
  TCompressType FCompresstype = LZMA;
  TCompressStrength FCompstrength = SAVE;
  TLZMAStrength FLZMAStrength = 0;
  TPPMDSize FPPMDSize = 10;
  TPPMDMem FPPMDMem = 30;
  bool FMainCancel = false;
  std::unique_ptr<sevenzip::TCodecLibrary> F7zaLibh;
  int32_t FVolumeSize = 0;
  std::string FPassword;
  TWideStringArray FNamesOfVolumesWritten;
  sevenzip::ComPtr<sevenzip::IInArchive> inA;
  sevenzip::ComPtr<sevenzip::IOutArchive> outA;
  std::exception_ptr FPendingException;
};
