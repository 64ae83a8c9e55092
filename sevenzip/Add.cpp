#include <algorithm>

#include "platform/FolderHandle.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/OutputFile.h"
#include "sevenzip/SevenZip.h"
#include "sevenzip/StreamReader.h"
#include "sevenzip/StreamWriter.h"
#include "sevenzip/UpdateCallback.h"

using namespace sevenzip;

namespace {

// A source entry as it will be stored.
struct TSource {
  int64_t size = 0;
  uint64_t mtime = 0;
  uint32_t attr = 0;
  uint64_t volume = 0;
  uint64_t index = 0;
};

// Links are followed to what they name; only files and folders are taken (a
// pipe or a device has no content to store, and reading one could wait
// forever).
bool SourceInfo(const std::string& path, TSource& source) {
  platform::PathInfo info;
  if (!platform::LookUpPath(path, true, &info)) return false;
  if (info.kind != platform::EntryKind::kFile && info.kind != platform::EntryKind::kFolder)
    return false;
  source.size = info.size;
  source.mtime = ToFileTimeTicks(info.modified);
  source.attr = info.attributes;
  source.volume = info.volume;
  source.index = info.index;
  return true;
}

bool IsLink(const std::string& path) {
  platform::PathInfo info;
  return !platform::LookUpPath(path, false, &info) || info.kind == platform::EntryKind::kLink;
}

uint32_t StrengthToLevel(TCompressStrength strength) {
  switch (strength) {
    case SAVE:
      return 0;
    case FAST:
      return 3;
    case NORMAL:
      return 5;
    case MAXIMUM:
      return 7;
    case ULTRA:
      return 9;
  }
  return 0;
}

// Compression settings for the codec, with their BSTR values freed by the
// codec's allocator.
class TSettings {
 public:
  explicit TSettings(const TCodecLibrary& codec) : FCodec(codec) {}
  ~TSettings() {
    for (PROPVARIANT& value : FValues) FCodec.ClearVariant(value);
  }
  void Number(const wchar_t* name, uint32_t n) {
    PROPVARIANT value{};
    value.vt = VT_UI4;
    value.ulVal = n;
    Push(name, value);
  }
  void Text(const wchar_t* name, const char* text) {
    PROPVARIANT value{};
    value.bstrVal = FCodec.AllocString(text);
    value.vt = VT_BSTR;
    Push(name, value);
  }
  HRESULT ApplyTo(IOutArchive* archive) {
    ComPtr<ISetProperties> setter;
    if (archive->QueryInterface(&ISetProperties::kIID, setter.put_void()) != S_OK || !setter)
      return S_OK;
    return setter->SetProperties(FNames.data(), FValues.data(),
                                 static_cast<uint32_t>(FNames.size()));
  }

 private:
  void Push(const wchar_t* name, const PROPVARIANT& value) {
    FNames.push_back(name);
    FValues.push_back(value);
  }
  const TCodecLibrary& FCodec;
  std::vector<const wchar_t*> FNames;
  std::vector<PROPVARIANT> FValues;
};

}  // namespace

// The items Add collects. The archive it writes, with every volume of that
// name, is known by identity, so that no spelling of its name and no link
// makes it a source: read while it is written, it would grow without end or
// be stored as a garbage copy of itself. Its temporaries are made only after
// the items are collected, so they are never among them.
struct TSevenZip::TItems {
  explicit TItems(TMyArchiveUpdateCallback& owner) : callback(owner) {}

  void NoteOutput(const std::string& name) {
    Note(name);
    // Volumes up to the first gap; a self-extractor's start at .002.
    for (int32_t number = 1;; ++number)
      if (!Note(name + "." + VolumeNumber(number)) && number > 1) break;
  }
  void Take(const std::string& path, const TSource& source) {
    for (const auto& [volume, index] : output)
      if (source.volume == volume && source.index == index) return;
    callback.AddItem(path, source.size, source.mtime, source.attr);
    total += source.size;
  }

  TMyArchiveUpdateCallback& callback;
  int64_t total = 0;

 private:
  bool Note(const std::string& path) {
    TSource source;
    if (!SourceInfo(path, source)) return false;
    output.emplace_back(source.volume, source.index);
    return true;
  }
  std::vector<std::pair<uint64_t, uint64_t>> output;
};

void TSevenZip::AddDirEntry(TItems& items, const std::string& folder) {
  const std::string name = WideExcludeBackslash(folder);
  TSource source;
  if (!SourceInfo(name.empty() ? "." : name, source) || !(source.attr & FILE_ATTRIBUTE_DIRECTORY))
    return;
  // The folder the pattern starts from makes no item when it is the root
  // that stored names are relative to.
  if (items.callback.RelativeName(name, true).empty()) return;
  items.Take(name, source);
}

void TSevenZip::ScanDir(TItems& items, const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  platform::FolderHandle listed;
  // A folder that cannot be read adds nothing, as one that is not there.
  if (platform::FolderHandle::Open(folder, &listed)) listed.List(&names);
  // In name order, so that the same folder always makes the same archive.
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    if (FMainCancel) return;
    const std::string path = folder + name;
    TSource source;
    if (!SourceInfo(path, source)) continue;
    if (source.attr & FILE_ATTRIBUTE_DIRECTORY) {
      // A linked folder could lead in circles; only folders need the look.
      if (IsLink(path)) continue;
      if (!(FAddOptions & AddStoreOnlyFilename)) items.Take(path, source);
      if (FAddOptions & AddRecurseDirs) ScanDir(items, AddBackslash(path), pattern);
    } else if (pattern == ".*" || WideExtractFileExt(name) == pattern) {
      items.Take(path, source);
    }
  }
}

int32_t TSevenZip::Add() {
  ResetCancel();
  int32_t result = -1;
  {
    struct TEnd {
      TSevenZip& self;
      ~TEnd() { self.ResetCancel(); }
    } end{*this};

    ComPtr<TMyArchiveUpdateCallback> callback(new TMyArchiveUpdateCallback(this));
    FRootDir = WideUpper(FRootDir);
    callback->RootDir = AddBackslash(FRootDir);

    const bool sfx = FSFXCreate && WideFileExists(FSFXModule);
    const std::string output =
        sfx ? WideChangeFileExt(FSevenZipFileName, ".exe") : FSevenZipFileName;
    // Before the items are collected: what a killed Add left in a folder it
    // adds is no source.
    TOutputFile::SweepBeside(output);
    TItems items(*callback.get());
    items.NoteOutput(output);
    for (const std::string& entry : Ffiles.WStrings) {
      const size_t star = entry.find('*');
      if (star != std::string::npos) {
        const std::string folder = AddBackslash(entry.substr(0, star));
        AddDirEntry(items, folder);
        ScanDir(items, folder, entry.substr(star + 1, 8));
        continue;
      }
      TSource source;
      if (!SourceInfo(entry, source)) continue;
      const std::string path = WideExcludeBackslash(entry);
      // The root itself would be stored without a name, as with a pattern.
      if (callback->RelativeName(path, source.attr & FILE_ATTRIBUTE_DIRECTORY).empty()) continue;
      items.Take(path, source);
    }
    callback->TrimItems();
    if (OnPreProgress) OnPreProgress(this, items.total);

    if (callback->ItemCount() == 0) {
      Report(kErrNoFilesToAdd, "");
      return -1;
    }

    // The settings go first: a setting the codec refuses leaves no output.
    TSettings settings(*F7zaLibh);
    if (FCompresstype == LZMA) {
      settings.Number(L"X", StrengthToLevel(FCompstrength));
      settings.Text(L"s", (FAddOptions & AddSolid) ? "on" : "off");
      if (FLZMAStrength > 0) settings.Number(L"d", FLZMAStrength);
    } else {
      settings.Text(L"0", "PPMd");
      settings.Number(L"X", StrengthToLevel(FCompstrength));
      if (FPPMDSize > 0) settings.Number(L"o", FPPMDSize);
      if (FPPMDMem > 0) settings.Number(L"mem", FPPMDMem);
    }
    if (!FPassword.empty() && (FAddOptions & AddEncryptFilename)) settings.Text(L"he", "on");
    result = settings.ApplyTo(outA.get());
    if (result != S_OK) return result;

    ClearVolumeNames();
    // Written beside its final names and put in place only when complete:
    // an archive that had the name survives a failure or a cancel.
    ComPtr<TMyStreamWriter> writer;
    if (sfx) {
      FSevenZipFileName = output;
      TOutputFile module;
      if (!CopySFXModuleBeside(FSevenZipFileName, module)) {
        Report(kErrCreateSFX, FSevenZipFileName);
        return -1;
      }
      writer =
          TMyStreamWriter::CreateBeside(&FLastError, FSevenZipFileName, FileTimeNow(),
                                        FILE_ATTRIBUTE_ARCHIVE, FVolumeSize, std::move(module));
    } else {
      writer = TMyStreamWriter::CreateBeside(&FLastError, FSevenZipFileName, FileTimeNow(),
                                             FILE_ATTRIBUTE_ARCHIVE, FVolumeSize);
    }
    if (!writer) throw EAbort();

    result = outA->UpdateItems(writer.get(), static_cast<uint32_t>(callback->ItemCount()),
                               callback.get());
    if (result == S_OK && !writer->Commit()) result = S_FALSE;
    if (result == S_OK) {
      FNamesOfVolumesWritten = writer->FileNames();
      if (callback->AnySourceSkipped()) result = S_FALSE;
    }
    writer.reset();  // what was not committed goes with it
  }
  RethrowPending();
  return result;
}
