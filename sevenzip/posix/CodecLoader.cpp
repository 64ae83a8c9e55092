#include <dlfcn.h>

#include "platform/Text.h"
#include "sevenzip/CodecLibrary.h"

namespace sevenzip {

namespace {

// GetModuleProp ids, and the interface layout this binding is written for:
// IUnknown without a virtual destructor.
enum : PROPID { kModuleInterfaceType = 0, kModuleVersion = 1 };
constexpr uint32_t kExpectedInterfaceType = 0;

using GetModulePropFunc = HRESULT(CODEC_CALL*)(PROPID propID, PROPVARIANT* value);
using SysAllocStringFunc = BSTR (*)(const wchar_t* text);
using SysFreeStringFunc = void (*)(BSTR text);
using VariantClearFunc = HRESULT (*)(PROPVARIANT* value);

template <class F>
F Export(void* handle, const char* name) {
  return reinterpret_cast<F>(dlsym(handle, name));
}

}  // namespace

const char* const kCodecLibraryName = "7z.so";

// The Linux build allocates BSTRs itself; they are freed by its own exports.
struct TCodecLibrary::TExports {
  TCreateObjectFunc CreateObject = nullptr;
  SysAllocStringFunc SysAllocString = nullptr;
  SysFreeStringFunc SysFreeString = nullptr;
  VariantClearFunc VariantClear = nullptr;
};

std::vector<std::string> CodecLibraryCandidates(const std::string& programFolder) {
  return {programFolder + kCodecLibraryName, "/usr/lib/p7zip/7z.so", kCodecLibraryName};
}

TCodecLibrary::TCodecLibrary(const std::vector<std::string>& candidates)
    : FExports(std::make_unique<TExports>()) {
  for (const std::string& candidate : candidates) {
    // RTLD_LOCAL: the library exports many Windows-style names of its own
    // (GetLastError, SysAllocString, ...) that must not meet anyone else's.
    FHandle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (FHandle) {
      FPath = candidate;
      break;
    }
  }
  if (!FHandle) throw ECodecLibraryError(CodecNotFoundFailure());
  try {
    FExports->CreateObject = Export<TCreateObjectFunc>(FHandle, "CreateObject");
    if (!FExports->CreateObject) throw ECodecLibraryError(CodecNotFoundFailure());
    // The vtable layout differs between interface types; calling through the
    // wrong one would crash, so a library that does not say is refused too.
    const auto getModuleProp = Export<GetModulePropFunc>(FHandle, "GetModuleProp");
    if (!getModuleProp)
      throw ECodecLibraryError(CodecLoadFailure(FPath + " does not report its interface type"));
    PROPVARIANT type{};
    if (getModuleProp(kModuleInterfaceType, &type) != S_OK || type.vt != VT_UI4 ||
        type.ulVal != kExpectedInterfaceType) {
      throw ECodecLibraryError(
          CodecLoadFailure(FPath + " reports interface type " +
                           (type.vt == VT_UI4 ? std::to_string(type.ulVal) : std::string("?")) +
                           ", this program needs type " + std::to_string(kExpectedInterfaceType)));
    }
    PROPVARIANT version{};
    if (getModuleProp(kModuleVersion, &version) == S_OK && version.vt == VT_UI4)
      FVersion = version.ulVal;
    FExports->SysAllocString = Export<SysAllocStringFunc>(FHandle, "SysAllocString");
    FExports->SysFreeString = Export<SysFreeStringFunc>(FHandle, "SysFreeString");
    FExports->VariantClear = Export<VariantClearFunc>(FHandle, "VariantClear");
    if (!FExports->SysAllocString || !FExports->SysFreeString || !FExports->VariantClear)
      throw ECodecLibraryError(CodecLoadFailure(FPath + " lacks its string allocator"));
  } catch (...) {
    dlclose(FHandle);
    throw;
  }
}

TCodecLibrary::~TCodecLibrary() {
  dlclose(FHandle);
}

HRESULT TCodecLibrary::CreateObject(const GUID& clsid, const GUID& iid, void** out) const {
  return FExports->CreateObject(&clsid, &iid, out);
}

BSTR TCodecLibrary::AllocString(const std::string& utf8) const {
  return FExports->SysAllocString(platform::Utf8ToWide(utf8).c_str());
}

void TCodecLibrary::FreeString(BSTR text) const {
  if (text) FExports->SysFreeString(text);
}

void TCodecLibrary::ClearVariant(PROPVARIANT& value) const {
  if (value.vt != VT_EMPTY) FExports->VariantClear(&value);
  value.vt = VT_EMPTY;
}

}  // namespace sevenzip
