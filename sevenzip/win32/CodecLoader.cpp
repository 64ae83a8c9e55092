// Our declarations come first: windows.h makes macros of names they use
// (S_OK, FILE_ATTRIBUTE_READONLY, ...).
#include "platform/Text.h"
#include "sevenzip/CodecLibrary.h"
// After our declarations.
#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

namespace sevenzip {

// The real COM layout: the values the codec and oleaut32 exchange with us
// have the system's own shape.
static_assert(sizeof(PROPVARIANT) == sizeof(::PROPVARIANT));
static_assert(offsetof(PROPVARIANT, bstrVal) == offsetof(::PROPVARIANT, bstrVal));
static_assert(offsetof(PROPVARIANT, uhVal) == offsetof(::PROPVARIANT, uhVal));
static_assert(sizeof(PROPVARIANT) == sizeof(::VARIANT));
static_assert(sizeof(GUID) == sizeof(::GUID));
static_assert(sizeof(BSTR) == sizeof(::BSTR) && sizeof(wchar_t) == 2);
static_assert(sizeof(HRESULT) == sizeof(::HRESULT) && sizeof(ULONG) == sizeof(::ULONG));
#if defined(__i386__)
static_assert(sizeof(PROPVARIANT) == 16 && sizeof(void*) == 4);
#else
static_assert(sizeof(PROPVARIANT) == 24 && sizeof(void*) == 8);
#endif

const char* const kCodecLibraryName = "7za.dll";

struct TCodecLibrary::TExports {
  TCreateObjectFunc CreateObject = nullptr;
};

// The plain name: LoadLibraryW looks in the program's folder first.
std::vector<std::string> CodecLibraryCandidates(const std::string&) {
  return {kCodecLibraryName};
}

TCodecLibrary::TCodecLibrary(const std::vector<std::string>& candidates)
    : FExports(std::make_unique<TExports>()) {
  for (const std::string& candidate : candidates) {
    // A library that is missing or cannot be mapped is said by our message,
    // not by a system dialog.
    DWORD previous = 0;
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous);
    FHandle = ::LoadLibraryW(platform::Utf8ToWide(candidate).c_str());
    ::SetThreadErrorMode(previous, nullptr);
    if (FHandle) {
      FPath = candidate;
      break;
    }
  }
  if (!FHandle) throw ECodecLibraryError(CodecNotFoundFailure());
  const HMODULE module = static_cast<HMODULE>(FHandle);
  // FARPROC stands for any export; these have the types the codec gives them.
  FExports->CreateObject = reinterpret_cast<TCreateObjectFunc>(
      reinterpret_cast<void*>(::GetProcAddress(module, "CreateObject")));
  if (!FExports->CreateObject) {
    ::FreeLibrary(module);
    throw ECodecLibraryError(CodecNotFoundFailure());
  }
  // The version, where the library says it (7-Zip 9.x did not).
  using GetModulePropFunc = HRESULT(CODEC_CALL*)(PROPID propID, PROPVARIANT * value);
  const auto getModuleProp = reinterpret_cast<GetModulePropFunc>(
      reinterpret_cast<void*>(::GetProcAddress(module, "GetModuleProp")));
  PROPVARIANT version{};
  if (getModuleProp && getModuleProp(1, &version) == S_OK && version.vt == VT_UI4)
    FVersion = version.ulVal;
}

TCodecLibrary::~TCodecLibrary() {
  ::FreeLibrary(static_cast<HMODULE>(FHandle));
}

HRESULT TCodecLibrary::CreateObject(const GUID& clsid, const GUID& iid, void** out) const {
  return FExports->CreateObject(&clsid, &iid, out);
}

// BSTRs handed to and taken from the codec are the system's.
BSTR TCodecLibrary::AllocString(const std::string& utf8) const {
  return ::SysAllocString(platform::Utf8ToWide(utf8).c_str());
}

void TCodecLibrary::FreeString(BSTR text) const {
  if (text) ::SysFreeString(text);
}

void TCodecLibrary::ClearVariant(PROPVARIANT& value) const {
  // As the codec's own clearing does: VariantClear frees a BSTR, and the
  // other values the component exchanges own nothing.
  if (value.vt != VT_EMPTY) ::VariantClear(reinterpret_cast<::VARIANTARG*>(&value));
  value.vt = VT_EMPTY;
}

}  // namespace sevenzip
