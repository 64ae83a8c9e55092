#pragma once

// Our own declarations of the codec library's published COM-style interfaces,
// in the layout its Linux build uses: IUnknown without a virtual destructor
// (interface type 0), the platform's default calling convention, 32-bit
// HRESULT and counts, wchar_t strings, BSTRs owned by the library's allocator.

#include <cstdint>
#include <cstring>

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
  };
};
static_assert(sizeof(PROPVARIANT) == 16);

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

// GetModuleProp ids and the interface layout this binding is written for.
enum : PROPID { kModuleInterfaceType = 0, kModuleVersion = 1 };
constexpr uint32_t kExpectedInterfaceType = 0;

// Attribute bits.
constexpr uint32_t FILE_ATTRIBUTE_READONLY = 0x01;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr uint32_t FILE_ATTRIBUTE_UNIX_EXTENSION = 0x8000;

struct IUnknown {
  virtual HRESULT QueryInterface(const GUID* iid, void** out) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
};

struct ISequentialInStream : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(3, 0x01);
  virtual HRESULT Read(void* data, uint32_t size, uint32_t* processedSize) = 0;
};

struct ISequentialOutStream : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(3, 0x02);
  virtual HRESULT Write(const void* data, uint32_t size, uint32_t* processedSize) = 0;
};

struct IInStream : ISequentialInStream {
  using Parent = ISequentialInStream;
  static constexpr GUID kIID = CodecInterfaceId(3, 0x03);
  virtual HRESULT Seek(int64_t offset, uint32_t seekOrigin, uint64_t* newPosition) = 0;
};

struct IOutStream : ISequentialOutStream {
  using Parent = ISequentialOutStream;
  static constexpr GUID kIID = CodecInterfaceId(3, 0x04);
  virtual HRESULT Seek(int64_t offset, uint32_t seekOrigin, uint64_t* newPosition) = 0;
  virtual HRESULT SetSize(uint64_t newSize) = 0;
};

struct IStreamGetSize : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(3, 0x06);
  virtual HRESULT GetSize(uint64_t* size) = 0;
};

struct IProgress : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(0, 0x05);
  virtual HRESULT SetTotal(uint64_t total) = 0;
  virtual HRESULT SetCompleted(const uint64_t* completeValue) = 0;
};

struct ICryptoGetTextPassword : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(5, 0x10);
  virtual HRESULT CryptoGetTextPassword(BSTR* password) = 0;
};

struct ICryptoGetTextPassword2 : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(5, 0x11);
  virtual HRESULT CryptoGetTextPassword2(int32_t* passwordIsDefined, BSTR* password) = 0;
};

struct IArchiveOpenCallback : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(6, 0x10);
  virtual HRESULT SetTotal(const uint64_t* files, const uint64_t* bytes) = 0;
  virtual HRESULT SetCompleted(const uint64_t* files, const uint64_t* bytes) = 0;
};

struct IArchiveExtractCallback : IProgress {
  using Parent = IProgress;
  static constexpr GUID kIID = CodecInterfaceId(6, 0x20);
  virtual HRESULT GetStream(uint32_t index, ISequentialOutStream** outStream,
                            int32_t askExtractMode) = 0;
  virtual HRESULT PrepareOperation(int32_t askExtractMode) = 0;
  virtual HRESULT SetOperationResult(int32_t opRes) = 0;
};

struct IInArchive : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(6, 0x60);
  virtual HRESULT Open(IInStream* stream, const uint64_t* maxCheckStartPosition,
                       IArchiveOpenCallback* openCallback) = 0;
  virtual HRESULT Close() = 0;
  virtual HRESULT GetNumberOfItems(uint32_t* numItems) = 0;
  virtual HRESULT GetProperty(uint32_t index, PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT Extract(const uint32_t* indices, uint32_t numItems, int32_t testMode,
                          IArchiveExtractCallback* extractCallback) = 0;
  virtual HRESULT GetArchiveProperty(PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT GetNumberOfProperties(uint32_t* numProps) = 0;
  virtual HRESULT GetPropertyInfo(uint32_t index, BSTR* name, PROPID* propID, VARTYPE* varType) = 0;
  virtual HRESULT GetNumberOfArchiveProperties(uint32_t* numProps) = 0;
  virtual HRESULT GetArchivePropertyInfo(uint32_t index, BSTR* name, PROPID* propID,
                                         VARTYPE* varType) = 0;
};

struct IArchiveUpdateCallback : IProgress {
  using Parent = IProgress;
  static constexpr GUID kIID = CodecInterfaceId(6, 0x80);
  virtual HRESULT GetUpdateItemInfo(uint32_t index, int32_t* newData, int32_t* newProps,
                                    uint32_t* indexInArchive) = 0;
  virtual HRESULT GetProperty(uint32_t index, PROPID propID, PROPVARIANT* value) = 0;
  virtual HRESULT GetStream(uint32_t index, ISequentialInStream** inStream) = 0;
  virtual HRESULT SetOperationResult(int32_t operationResult) = 0;
};

struct IOutArchive : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(6, 0xA0);
  virtual HRESULT UpdateItems(ISequentialOutStream* outStream, uint32_t numItems,
                              IArchiveUpdateCallback* updateCallback) = 0;
  virtual HRESULT GetFileTimeType(uint32_t* type) = 0;
};

struct ISetProperties : IUnknown {
  using Parent = IUnknown;
  static constexpr GUID kIID = CodecInterfaceId(6, 0x03);
  virtual HRESULT SetProperties(const wchar_t* const* names, const PROPVARIANT* values,
                                uint32_t numProps) = 0;
};

// The library's exports.
using TCreateObjectFunc = HRESULT (*)(const GUID* clsid, const GUID* iid, void** out);
using GetModulePropFunc = HRESULT (*)(PROPID propID, PROPVARIANT* value);
using SysAllocStringFunc = BSTR (*)(const wchar_t* text);
using SysFreeStringFunc = void (*)(BSTR text);
using VariantClearFunc = HRESULT (*)(PROPVARIANT* value);

}  // namespace sevenzip
