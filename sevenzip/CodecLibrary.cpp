#include "sevenzip/CodecLibrary.h"

#include "platform/Text.h"

namespace sevenzip {

std::string CodecLoadFailure(const std::string& reason) {
  return std::string("Could not load CreateObject function from ") + kCodecLibraryName + "\r\n" +
         reason;
}

std::string CodecNotFoundFailure() {
  return CodecLoadFailure(std::string("Perhaps ") + kCodecLibraryName + " not found");
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
