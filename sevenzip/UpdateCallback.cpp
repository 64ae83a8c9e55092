#include "sevenzip/UpdateCallback.h"

#include <stdexcept>

#include "sevenzip/FileNames.h"
#include "sevenzip/StreamReader.h"

using namespace sevenzip;

TMyArchiveUpdateCallback::TMyArchiveUpdateCallback(TSevenZip* Owner)
    : FSevenZip(Owner), FPassword(Owner->Password()) {}

void TMyArchiveUpdateCallback::AddItem(const std::string& path, int64_t size, uint64_t mtime,
                                       uint32_t attr) {
  Files.push_back(path);
  Files_size.push_back(size);
  Files_Date.push_back(mtime);
  Files_Attr.push_back(attr);
}

void TMyArchiveUpdateCallback::TrimItems() {
  Files.shrink_to_fit();
  Files_size.shrink_to_fit();
  Files_Date.shrink_to_fit();
  Files_Attr.shrink_to_fit();
}

static std::string StripLeadingSeparators(const std::string& s) {
  const size_t first = s.find_first_not_of(kPathDelimiter);
  return first == std::string::npos ? std::string() : s.substr(first);
}

// A name that starts with a drive ("C:"), as only Windows has them.
static bool HasDrive(const std::string& s) {
  return s.size() >= 2 && s[1] == ':' &&
         ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z')) &&
         platform::IsAbsolutePath(s);
}

// No stored name starts at a root: a drive is cut off (or, with
// `keepLetter`, its colon: C:\dir\f becomes C\dir\f), and so are leading
// separators (\\server\share\f becomes server\share\f).
static std::string WithoutRoot(std::string s, bool keepLetter) {
  if (HasDrive(s)) {
    if (keepLetter)
      s.erase(1, 1);
    else
      s.erase(0, s.size() > 2 && s[2] == kPathDelimiter ? 3 : 2);
  }
  return StripLeadingSeparators(s);
}

// Deletes from `s` the leading part that names `root` (upper-cased, ending
// in a separator) ignoring case; false when `s` does not start with it.
static bool StripRoot(std::string& s, const std::string& root) {
  for (size_t at = s.find(kPathDelimiter); at != std::string::npos;
       at = s.find(kPathDelimiter, at + 1)) {
    const std::string head = WideUpper(s.substr(0, at + 1));
    if (head.size() > root.size()) return false;
    if (head == root) {
      s.erase(0, at + 1);
      return true;
    }
  }
  return false;
}

std::string TMyArchiveUpdateCallback::RootRelative(const std::string& path, bool isFolder) const {
  std::string s = path;
  // A folder is named by its path with the separator, so the root itself
  // comes out empty.
  if (isFolder && !s.empty()) s = AddBackslash(s);
  if (!RootDir.empty()) StripRoot(s, RootDir);
  s = WideExcludeBackslash(s);
  // A drive stays for the name handler to see; leading separators do not.
  return HasDrive(s) ? s : StripLeadingSeparators(s);
}

std::string TMyArchiveUpdateCallback::RelativeName(const std::string& path, bool isFolder) const {
  return WithoutRoot(RootRelative(path, isFolder), false);
}

std::string TMyArchiveUpdateCallback::StoredName(uint32_t index) {
  std::string s = RootRelative(Files[index], Files_Attr[index] & FILE_ATTRIBUTE_DIRECTORY);
  if (FSevenZip->OnSetAddName &&
      !FSevenZip->Guard([&] { FSevenZip->OnSetAddName(FSevenZip, index, s); }))
    throw EAbort();
  // Whatever the handler made of it, no stored name starts at the root.
  s = WithoutRoot(s, (FSevenZip->AddOptions() & AddIncludeDriveLetter) != 0);
  if (FSevenZip->AddOptions() & AddStoreOnlyFilename) WideStripPath(s);
  return s;
}

HRESULT CODEC_CALL TMyArchiveUpdateCallback::SetTotal(uint64_t) noexcept {
  return S_OK;
}

HRESULT CODEC_CALL TMyArchiveUpdateCallback::SetCompleted(const uint64_t* completeValue) noexcept {
  if (!FProgress.Advance(FSevenZip, completeValue, FSevenZip->OnAddfile)) return E_ABORT;
  if (FSevenZip->CancelRequested()) {
    if (!FSevenZip->Guard([&] { FSevenZip->Report(kErrUserCanceled, FProgress.File); }))
      return E_ABORT;
    return S_FALSE;
  }
  return S_OK;
}

HRESULT CODEC_CALL TMyArchiveUpdateCallback::GetUpdateItemInfo(uint32_t, int32_t* newData,
                                                               int32_t* newProperties,
                                                               uint32_t* indexInArchive) noexcept {
  if (newData) *newData = 1;
  if (newProperties) *newProperties = 1;
  if (indexInArchive) *indexInArchive = 0xFFFFFFFFu;
  return S_OK;
}

HRESULT CODEC_CALL TMyArchiveUpdateCallback::GetProperty(uint32_t index, PROPID propID,
                                                         PROPVARIANT* value) noexcept {
  if (!value || index >= Files.size()) return E_INVALIDARG;
  try {
    FSevenZip->Codec().ClearVariant(*value);
    switch (propID) {
      case kpidPath: {
        value->bstrVal = FSevenZip->Codec().AllocString(StoredName(index));
        if (!value->bstrVal) return E_FAIL;
        value->vt = VT_BSTR;
        break;
      }
      case kpidIsDir:
      case kpidIsAnti:
        value->vt = VT_BOOL;
        value->boolVal =
            propID == kpidIsDir && (Files_Attr[index] & FILE_ATTRIBUTE_DIRECTORY) ? -1 : 0;
        break;
      case kpidSize:
        value->vt = VT_UI8;
        value->uhVal = static_cast<uint64_t>(Files_size[index]);
        break;
      case kpidAttrib:
        value->vt = VT_UI4;
        value->ulVal = Files_Attr[index];
        break;
      case kpidMTime:
        value->vt = VT_FILETIME;
        value->filetime.dwLowDateTime = static_cast<uint32_t>(Files_Date[index]);
        value->filetime.dwHighDateTime = static_cast<uint32_t>(Files_Date[index] >> 32);
        break;
      default:
        // Creation and access times among them: this platform keeps no
        // creation time, and a time of 0 would be stored as the year 1601.
        // An empty answer tells the codec the property is not there.
        break;
    }
    return S_OK;
  } catch (...) {
    return E_ABORT;
  }
}

HRESULT CODEC_CALL TMyArchiveUpdateCallback::GetStream(uint32_t index,
                                                       ISequentialInStream** inStream) noexcept {
  if (!inStream || index >= Files.size()) return E_INVALIDARG;
  *inStream = nullptr;
  try {
    FProgress.Start(Files[index], Files_size[index]);
    auto* reader = new TMyStreamReader(FSevenZip, Files[index], false);
    reader->AddRef();
    if (!reader->Volumes()[0].Handle.valid()) {
      // A file that went away or cannot be read is left out and said so,
      // rather than stored empty.
      const int32_t error = reader->OpenError();
      reader->Release();
      FSevenZip->SetLastError(error);
      FAnySourceSkipped = true;
      if (!FSevenZip->Guard([&] { FSevenZip->Report(kErrFileNotFound, Files[index]); }))
        return E_ABORT;
      return S_FALSE;
    }
    *inStream = static_cast<IInStream*>(reader);
    return S_OK;
  } catch (...) {
    return E_ABORT;
  }
}

HRESULT CODEC_CALL TMyArchiveUpdateCallback::SetOperationResult(int32_t) noexcept {
  return S_OK;
}

HRESULT CODEC_CALL TMyArchiveUpdateCallback::CryptoGetTextPassword2(int32_t* passwordIsDefined,
                                                                    BSTR* Password) noexcept {
  if (Password) *Password = nullptr;
  if (FPassword.empty()) {
    if (passwordIsDefined) *passwordIsDefined = 0;
    return S_OK;
  }
  if (passwordIsDefined) *passwordIsDefined = -1;
  if (Password) *Password = FSevenZip->Codec().AllocString(FPassword);
  return S_OK;
}
