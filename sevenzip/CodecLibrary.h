#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sevenzip/CodecInterfaces.h"

namespace sevenzip {

// Raised when the codec library cannot be used; the component's constructor
// lets it through to its creator.
class ECodecLibraryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The codec library's file name on this platform: "7za.dll", or "7z.so".
extern const char* const kCodecLibraryName;

// Where the library is looked for, in order. On Windows the plain name,
// whose normal search order starts in the program's folder; on Linux beside
// the program (in `programFolder`, with its trailing separator), then the
// platform's installed codec, then the normal library search.
std::vector<std::string> CodecLibraryCandidates(const std::string& programFolder);

// The loaded codec library and the exports the component needs. The loader
// is the platform's (posix/, win32/); on Linux it checks that the library
// reports the interface layout we are built for.
class TCodecLibrary {
 public:
  explicit TCodecLibrary(const std::vector<std::string>& candidates);
  ~TCodecLibrary();
  TCodecLibrary(const TCodecLibrary&) = delete;
  TCodecLibrary& operator=(const TCodecLibrary&) = delete;

  const std::string& Path() const { return FPath; }
  uint32_t Version() const { return FVersion; }  // major << 16 | minor, 0 if unknown

  HRESULT CreateObject(const GUID& clsid, const GUID& iid, void** out) const;

  // BSTRs and PROPVARIANTs exchanged with the codec use its own allocator.
  BSTR AllocString(const std::string& utf8) const;
  void FreeString(BSTR text) const;
  void ClearVariant(PROPVARIANT& value) const;

 private:
  struct TExports;  // the loader's own
  void* FHandle = nullptr;
  std::string FPath;
  uint32_t FVersion = 0;
  std::unique_ptr<TExports> FExports;
};

// The message of a library that cannot be used, `reason` on its second line.
std::string CodecLoadFailure(const std::string& reason);
// The message of a library that is missing or exports no CreateObject.
std::string CodecNotFoundFailure();

// A PROPVARIANT filled by the codec and cleared with its allocator.
class TPropVariant {
 public:
  explicit TPropVariant(const TCodecLibrary& codec) : FCodec(codec), FValue{} {}
  ~TPropVariant() { FCodec.ClearVariant(FValue); }
  TPropVariant(const TPropVariant&) = delete;
  TPropVariant& operator=(const TPropVariant&) = delete;

  PROPVARIANT* get() { return &FValue; }
  const PROPVARIANT& value() const { return FValue; }

  bool IsEmpty() const { return FValue.vt == VT_EMPTY; }
  std::string AsString() const;                  // empty unless a BSTR
  uint64_t AsUInt(uint64_t fallback = 0) const;  // VT_UI1..VT_UI8, VT_BOOL
  std::optional<uint64_t> AsFileTime() const;    // 100-ns ticks since 1601, UTC

 private:
  const TCodecLibrary& FCodec;
  PROPVARIANT FValue;
};

// Reads one item property from an opened archive.
std::string ItemString(const TCodecLibrary& codec, IInArchive* archive, uint32_t index, PROPID id);
uint64_t ItemUInt(const TCodecLibrary& codec, IInArchive* archive, uint32_t index, PROPID id);
std::optional<uint64_t> ItemFileTime(const TCodecLibrary& codec, IInArchive* archive,
                                     uint32_t index, PROPID id);

}  // namespace sevenzip
