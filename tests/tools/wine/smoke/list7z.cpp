// Lists a 7z archive through 7za.dll and compares its items with a folder:
// the DLL that scripts/setup-windows builds must load by plain name, hand
// out the 7z handler and read the archive through our stream.
//   list7z <archive.7z> <folder the archive was made from>
// Exit code 0 when the archive holds exactly the folder's files and folders.
#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "tests/tools/wine/WinHandle.h"

namespace {

// Just enough of the codec's published interfaces to open and list.
struct ISequentialInStream : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Read(void* data, UINT32 size, UINT32* processed) = 0;
};
struct IInStream : ISequentialInStream {
  virtual HRESULT STDMETHODCALLTYPE Seek(INT64 offset, UINT32 origin, UINT64* position) = 0;
};
struct IInArchive : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Open(IInStream* stream, const UINT64* maxCheckStart,
                                         IUnknown* openCallback) = 0;
  virtual HRESULT STDMETHODCALLTYPE Close() = 0;
  virtual HRESULT STDMETHODCALLTYPE GetNumberOfItems(UINT32* count) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetProperty(UINT32 index, PROPID id, PROPVARIANT* value) = 0;
  // The interface goes on; nothing further is called here.
};

constexpr GUID kClsid7z = {
    0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};
constexpr GUID kIidInArchive = {0x23170F69, 0x40C1, 0x278A, {0, 0, 0, 0x06, 0, 0x60, 0, 0}};
constexpr GUID kIidSequentialInStream = {
    0x23170F69, 0x40C1, 0x278A, {0, 0, 0, 0x03, 0, 0x01, 0, 0}};
constexpr GUID kIidInStream = {0x23170F69, 0x40C1, 0x278A, {0, 0, 0, 0x03, 0, 0x03, 0, 0}};
constexpr PROPID kpidPath = 3;

using CreateObjectFunc = HRESULT(WINAPI*)(const GUID* clsid, const GUID* iid, void** object);

class FileInStream final : public IInStream {
 public:
  explicit FileInStream(wintools::FileHandle file) : file_(std::move(file)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == IID_IUnknown || iid == kIidSequentialInStream || iid == kIidInStream) {
      *object = static_cast<IInStream*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE Read(void* data, UINT32 size, UINT32* processed) override {
    DWORD read = 0;
    const BOOL ok = ReadFile(file_.get(), data, size, &read, nullptr);
    if (processed) *processed = read;
    return ok ? S_OK : HRESULT_FROM_WIN32(GetLastError());
  }
  HRESULT STDMETHODCALLTYPE Seek(INT64 offset, UINT32 origin, UINT64* position) override {
    LARGE_INTEGER distance, moved;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(file_.get(), distance, &moved, origin))
      return HRESULT_FROM_WIN32(GetLastError());
    if (position) *position = static_cast<UINT64>(moved.QuadPart);
    return S_OK;
  }

 private:
  wintools::FileHandle file_;
  ULONG refs_ = 1;
};

template <typename T>
struct ComReleaser {
  void operator()(T* object) const { object->Release(); }
};

std::string Utf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

int Fail(const char* what, unsigned long code) {
  std::fprintf(stderr, "list7z: %s failed, code 0x%lx\n", what, code);
  return 1;
}

std::set<std::wstring> FolderEntries(const std::filesystem::path& folder) {
  std::set<std::wstring> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    entries.insert(entry.path().lexically_relative(folder).make_preferred().wstring());
  return entries;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: list7z <archive.7z> <folder>\n");
    return 2;
  }
  wintools::UniqueHandle<HMODULE, FreeLibrary> codec(LoadLibraryW(L"7za.dll"));
  if (!codec) return Fail("LoadLibraryW(7za.dll)", GetLastError());
  // FARPROC is a placeholder type; the export has CreateObject's own.
  auto createObject = reinterpret_cast<CreateObjectFunc>(
      reinterpret_cast<void*>(GetProcAddress(codec.get(), "CreateObject")));
  if (!createObject) return Fail("GetProcAddress(CreateObject)", GetLastError());

  IInArchive* rawArchive = nullptr;
  HRESULT hr = createObject(&kClsid7z, &kIidInArchive, reinterpret_cast<void**>(&rawArchive));
  if (hr != S_OK) return Fail("CreateObject", hr);
  std::unique_ptr<IInArchive, ComReleaser<IInArchive>> archive(rawArchive);

  wintools::FileHandle file = wintools::OpenFile(argv[1]);
  if (!file) return Fail("opening the archive", GetLastError());
  std::unique_ptr<FileInStream, ComReleaser<FileInStream>> stream(
      new FileInStream(std::move(file)));
  const UINT64 maxCheckStart = 1 << 20;
  hr = archive->Open(stream.get(), &maxCheckStart, nullptr);
  if (hr != S_OK) return Fail("IInArchive::Open", hr);

  UINT32 count = 0;
  archive->GetNumberOfItems(&count);
  std::set<std::wstring> items;
  for (UINT32 i = 0; i < count; ++i) {
    PROPVARIANT path{};
    path.vt = VT_EMPTY;
    hr = archive->GetProperty(i, kpidPath, &path);
    if (hr != S_OK || path.vt != VT_BSTR) return Fail("reading an item's path", hr);
    // The codec allocates its strings with oleaut32's allocator.
    items.insert(path.bstrVal);
    std::printf("%s\n", Utf8(path.bstrVal).c_str());
    SysFreeString(path.bstrVal);
  }
  archive->Close();

  const std::set<std::wstring> expected = FolderEntries(argv[2]);
  if (items == expected) return 0;
  for (const auto& name : expected)
    if (!items.count(name)) std::printf("missing: %s\n", Utf8(name).c_str());
  for (const auto& name : items)
    if (!expected.count(name)) std::printf("unexpected: %s\n", Utf8(name).c_str());
  return 1;
}
