#include "sevenzip/CodecLibrary.h"

#include <dlfcn.h>

#include "platform/Files.h"
#include "platform/Text.h"

namespace sevenzip {

namespace {

std::string LoadFailure(const std::string& reason) {
  return std::string("Could not load CreateObject function from ") + kCodecLibraryName + "\r\n" +
         reason;
}

template <class F>
F Export(void* handle, const char* name) {
  return reinterpret_cast<F>(dlsym(handle, name));
}

}  // namespace

std::vector<std::string> CodecLibraryCandidates(const std::string& programFolder) {
  return {programFolder + kCodecLibraryName, "/usr/lib/p7zip/7z.so", kCodecLibraryName};
}

TCodecLibrary::TCodecLibrary(const std::vector<std::string>& candidates) {
  for (const std::string& candidate : candidates) {
    // RTLD_LOCAL: the library exports many Windows-style names of its own
    // (GetLastError, SysAllocString, ...) that must not meet anyone else's.
    FHandle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (FHandle) {
      FPath = candidate;
      break;
    }
  }
  if (!FHandle)
    throw ECodecLibraryError(
        LoadFailure(std::string("Perhaps ") + kCodecLibraryName + " not found"));
  try {
    FCreateObject = Export<TCreateObjectFunc>(FHandle, "CreateObject");
    if (!FCreateObject)
      throw ECodecLibraryError(
          LoadFailure(std::string("Perhaps ") + kCodecLibraryName + " not found"));
    // The vtable layout differs between interface types; calling through the
    // wrong one would crash, so a library that does not say is refused too.
    const auto getModuleProp = Export<GetModulePropFunc>(FHandle, "GetModuleProp");
    if (!getModuleProp)
      throw ECodecLibraryError(LoadFailure(FPath + " does not report its interface type"));
    PROPVARIANT type{};
    if (getModuleProp(kModuleInterfaceType, &type) != S_OK || type.vt != VT_UI4 ||
        type.ulVal != kExpectedInterfaceType) {
      throw ECodecLibraryError(
          LoadFailure(FPath + " reports interface type " +
                      (type.vt == VT_UI4 ? std::to_string(type.ulVal) : std::string("?")) +
                      ", this program needs type " + std::to_string(kExpectedInterfaceType)));
    }
    PROPVARIANT version{};
    if (getModuleProp(kModuleVersion, &version) == S_OK && version.vt == VT_UI4)
      FVersion = version.ulVal;
    FSysAllocString = Export<SysAllocStringFunc>(FHandle, "SysAllocString");
    FSysFreeString = Export<SysFreeStringFunc>(FHandle, "SysFreeString");
    FVariantClear = Export<VariantClearFunc>(FHandle, "VariantClear");
    if (!FSysAllocString || !FSysFreeString || !FVariantClear)
      throw ECodecLibraryError(LoadFailure(FPath + " lacks its string allocator"));
  } catch (...) {
    dlclose(FHandle);
    throw;
  }
}

TCodecLibrary::~TCodecLibrary() {
  dlclose(FHandle);
}

HRESULT TCodecLibrary::CreateObject(const GUID& clsid, const GUID& iid, void** out) const {
  return FCreateObject(&clsid, &iid, out);
}

BSTR TCodecLibrary::AllocString(const std::string& utf8) const {
  return FSysAllocString(platform::Utf8ToWide(utf8).c_str());
}

void TCodecLibrary::FreeString(BSTR text) const {
  if (text) FSysFreeString(text);
}

void TCodecLibrary::ClearVariant(PROPVARIANT& value) const {
  if (value.vt != VT_EMPTY) FVariantClear(&value);
  value.vt = VT_EMPTY;
}

std::string TPropVariant::AsString() const {
  if (FValue.vt != VT_BSTR || !FValue.bstrVal) return {};
  return platform::WideToUtf8(FValue.bstrVal);
}

uint64_t TPropVariant::AsUInt(uint64_t fallback) const {
  switch (FValue.vt) {
    case 17:  // VT_UI1
      return static_cast<uint8_t>(FValue.ulVal);
    case 18:  // VT_UI2
      return static_cast<uint16_t>(FValue.ulVal);
    case VT_UI4:
      return FValue.ulVal;
    case VT_UI8:
      return FValue.uhVal;
    case VT_BOOL:
      return FValue.boolVal != 0;
    default:
      return fallback;
  }
}

std::optional<uint64_t> TPropVariant::AsFileTime() const {
  if (FValue.vt != VT_FILETIME) return std::nullopt;
  return (static_cast<uint64_t>(FValue.filetime.dwHighDateTime) << 32) |
         FValue.filetime.dwLowDateTime;
}

std::string ItemString(const TCodecLibrary& codec, IInArchive* archive, uint32_t index, PROPID id) {
  TPropVariant value(codec);
  if (archive->GetProperty(index, id, value.get()) != S_OK) return {};
  return value.AsString();
}

uint64_t ItemUInt(const TCodecLibrary& codec, IInArchive* archive, uint32_t index, PROPID id) {
  TPropVariant value(codec);
  if (archive->GetProperty(index, id, value.get()) != S_OK) return 0;
  return value.AsUInt();
}

std::optional<uint64_t> ItemFileTime(const TCodecLibrary& codec, IInArchive* archive,
                                     uint32_t index, PROPID id) {
  TPropVariant value(codec);
  if (archive->GetProperty(index, id, value.get()) != S_OK) return std::nullopt;
  return value.AsFileTime();
}

}  // namespace sevenzip
