#pragma once

// Our own declarations of the codec library's published COM-style interfaces,
// one for both platforms: IUnknown without a virtual destructor (plain COM
// vtables), 32-bit HRESULT and counts, wchar_t strings (UTF-16 on Windows),
// BSTRs owned by the library's allocator. What differs, the calling
// convention and the size of a PROPVARIANT, comes from CodecAbi.h of the
// platform's folder.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "CodecAbi.h"
#include "platform/FileAttributes.h"

namespace sevenzip {

using HRESULT = int32_t;
using ULONG = uint32_t;
using PROPID = uint32_t;
using VARTYPE = uint16_t;
using BSTR = wchar_t*;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

struct GUID {
  uint32_t Data1;
  uint16_t Data2;
  uint16_t Data3;
  uint8_t Data4[8];
};

inline bool operator==(const GUID& a, const GUID& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// Every identifier of the codec shares 23170F69-40C1-278A; interfaces carry
// their group and number in the last eight bytes.
constexpr GUID CodecInterfaceId(uint8_t group, uint8_t number) {
  return {0x23170F69, 0x40C1, 0x278A, {0, 0, 0, group, 0, number, 0, 0}};
}

// The 7z format handler class.
constexpr GUID CLSID_Format7z = {0x23170F69, 0x40C1, 0x278A, {0x10, 0, 0, 0x01, 0x10, 0x07, 0, 0}};

enum : VARTYPE {
  VT_EMPTY = 0,
  VT_BSTR = 8,
  VT_BOOL = 11,
  VT_UI4 = 19,
  VT_UI8 = 21,
  VT_FILETIME = 64,
};

struct FILETIME {
  uint32_t dwLowDateTime;
  uint32_t dwHighDateTime;
};

struct PROPVARIANT {
  VARTYPE vt;
  uint16_t wReserved1;
  uint16_t wReserved2;
  uint16_t wReserved3;
  union {
    int16_t boolVal;
    uint32_t ulVal;
    uint64_t uhVal;
    int64_t hVal;
    FILETIME filetime;
    BSTR bstrVal;
    uint8_t wholeValue[kPropVariantSize - 8];
  };
};
static_assert(sizeof(GUID) == 16);
static_assert(sizeof(FILETIME) == 8);
static_assert(sizeof(PROPVARIANT) == kPropVariantSize);
static_assert(offsetof(PROPVARIANT, ulVal) == 8 && offsetof(PROPVARIANT, bstrVal) == 8);

// Item property ids.
enum : PROPID {
  kpidPath = 3,
  kpidIsDir = 6,
  kpidSize = 7,
  kpidPackSize = 8,
  kpidAttrib = 9,
  kpidCTime = 10,
  kpidATime = 11,
  kpidMTime = 12,
  kpidCRC = 19,
  kpidIsAnti = 21,
  kpidMethod = 22,
};

// Extraction modes and per-item results.
enum : int32_t { kExtract = 0, kTest = 1, kSkip = 2 };
enum : int32_t {
  kOpOK = 0,
  kOpUnsupportedMethod = 1,
  kOpDataError = 2,
  kOpCRCError = 3,
};

// Attribute bits under their Windows names.
constexpr uint32_t FILE_ATTRIBUTE_READONLY = platform::kAttributeReadOnly;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = platform::kAttributeDirectory;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = platform::kAttributeArchive;
constexpr uint32_t FILE_ATTRIBUTE_UNIX_EXTENSION = platform::kAttributeUnixExtension;

struct IUnknown {
  virtual HRESULT CODEC_CALL QueryInterface(const GUID* iid, void** out) = 0;
  virtual ULONG CODEC_CALL AddRef() = 0;
  virtual ULONG CODEC_CALL Release() = 0;
};

struct ISequentialInStream : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(3, 0x01);
  virtual HRESULT CODEC_CALL Read(void* data, uint32_t size, uint32_t* processedSize) = 0;
};

struct ISequentialOutStream : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(3, 0x02);
  virtual HRESULT CODEC_CALL Write(const void* data, uint32_t size, uint32_t* processedSize) = 0;
};

struct IInStream : ISequentialInStream {
  using Parent = ISequentialInStream;
  static constexpr GUID kIID = CodecInterfaceId(3, 0x03);
  virtual HRESULT CODEC_CALL Seek(int64_t offset, uint32_t seekOrigin, uint64_t* newPosition) = 0;
};

struct IOutStream : ISequentialOutStream {
  using Parent = ISequentialOutStream;
  static constexpr GUID kIID = CodecInterfaceId(3, 0x04);
  virtual HRESULT CODEC_CALL Seek(int64_t offset, uint32_t seekOrigin, uint64_t* newPosition) = 0;
  virtual HRESULT CODEC_CALL SetSize(uint64_t newSize) = 0;
};

struct IStreamGetSize : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(3, 0x06);
  virtual HRESULT CODEC_CALL GetSize(uint64_t* size) = 0;
};

struct IProgress : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(0, 0x05);
  virtual HRESULT CODEC_CALL SetTotal(uint64_t total) = 0;
  virtual HRESULT CODEC_CALL SetCompleted(const uint64_t* completeValue) = 0;
};

struct ICryptoGetTextPassword : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(5, 0x10);
  virtual HRESULT CODEC_CALL CryptoGetTextPassword(BSTR* password) = 0;
};

struct ICryptoGetTextPassword2 : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(5, 0x11);
  virtual HRESULT CODEC_CALL CryptoGetTextPassword2(int32_t* passwordIsDefined, BSTR* password) = 0;
};

struct IArchiveOpenCallback : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(6, 0x10);
  virtual HRESULT CODEC_CALL SetTotal(const uint64_t* files, const uint64_t* bytes) = 0;
  virtual HRESULT CODEC_CALL SetCompleted(const uint64_t* files, const uint64_t* bytes) = 0;
};

struct IArchiveExtractCallback : IProgress {
  using Parent = IProgress;
  static constexpr GUID kIID = CodecInterfaceId(6, 0x20);
  virtual HRESULT CODEC_CALL GetStream(uint32_t index, ISequentialOutStream** outStream,
                                       int32_t askExtractMode) = 0;
  virtual HRESULT CODEC_CALL PrepareOperation(int32_t askExtractMode) = 0;
  virtual HRESULT CODEC_CALL SetOperationResult(int32_t opRes) = 0;
};

struct IInArchive : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(6, 0x60);
  virtual HRESULT CODEC_CALL Open(IInStream* stream, const uint64_t* maxCheckStartPosition,
                                  IArchiveOpenCallback* openCallback) = 0;
  virtual HRESULT CODEC_CALL Close() = 0;
  virtual HRESULT CODEC_CALL GetNumberOfItems(uint32_t* numItems) = 0;
  virtual HRESULT CODEC_CALL GetProperty(uint32_t index, PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT CODEC_CALL Extract(const uint32_t* indices, uint32_t numItems, int32_t testMode,
                                     IArchiveExtractCallback* extractCallback) = 0;
  virtual HRESULT CODEC_CALL GetArchiveProperty(PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT CODEC_CALL GetNumberOfProperties(uint32_t* numProps) = 0;
  virtual HRESULT CODEC_CALL GetPropertyInfo(uint32_t index, BSTR* name, PROPID* propID,
                                             VARTYPE* varType) = 0;
  virtual HRESULT CODEC_CALL GetNumberOfArchiveProperties(uint32_t* numProps) = 0;
  virtual HRESULT CODEC_CALL GetArchivePropertyInfo(uint32_t index, BSTR* name, PROPID* propID,
                                                    VARTYPE* varType) = 0;
};

struct IArchiveUpdateCallback : IProgress {
  using Parent = IProgress;
  static constexpr GUID kIID = CodecInterfaceId(6, 0x80);
  virtual HRESULT CODEC_CALL GetUpdateItemInfo(uint32_t index, int32_t* newData, int32_t* newProps,
                                               uint32_t* indexInArchive) = 0;
  virtual HRESULT CODEC_CALL GetProperty(uint32_t index, PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT CODEC_CALL GetStream(uint32_t index, ISequentialInStream** inStream) = 0;
  virtual HRESULT CODEC_CALL SetOperationResult(int32_t operationResult) = 0;
};

struct IOutArchive : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(6, 0xA0);
  virtual HRESULT CODEC_CALL UpdateItems(ISequentialOutStream* outStream, uint32_t numItems,
                                         IArchiveUpdateCallback* updateCallback) = 0;
  virtual HRESULT CODEC_CALL GetFileTimeType(uint32_t* type) = 0;
};

struct ISetProperties : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(6, 0x03);
  virtual HRESULT CODEC_CALL SetProperties(const wchar_t* const* names, const PROPVARIANT* values,
                                           uint32_t numProps) = 0;
};

// The library's exports.
using TCreateObjectFunc = HRESULT(CODEC_CALL*)(const GUID* clsid, const GUID* iid, void** out);

// The codec calls through the first pointer of each object: an interface is
// that pointer and nothing else, its methods in declaration order.
static_assert(sizeof(IUnknown) == sizeof(void*) && std::is_polymorphic_v<IUnknown>);
static_assert(sizeof(IInArchive) == sizeof(void*) && sizeof(IOutArchive) == sizeof(void*));
static_assert(sizeof(IArchiveExtractCallback) == sizeof(void*));
static_assert(sizeof(IArchiveUpdateCallback) == sizeof(void*));
static_assert(sizeof(IInStream) == sizeof(void*) && sizeof(IOutStream) == sizeof(void*));

}  // namespace sevenzip
