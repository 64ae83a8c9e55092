#include "platform/FileVersion.h"

#include "platform/Text.h"
#include "platform/win32/WinApi.h"

namespace platform {

std::optional<FileVersionResource> FileVersionResource::Read(const std::string& path) {
  const std::wstring name = Utf8ToWide(path);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(name.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<uint8_t> data(size);
  if (!::GetFileVersionInfoW(name.c_str(), 0, size, data.data())) return std::nullopt;
  return FileVersionResource(std::move(data));
}

std::vector<uint32_t> FileVersionResource::Translations() const {
  void* value = nullptr;
  UINT length = 0;
  // VerQueryValueW only reads the block, whatever its signature says.
  void* block = const_cast<uint8_t*>(data_.data());
  if (!::VerQueryValueW(block, L"\\VarFileInfo\\Translation", &value, &length) || !value) return {};
  std::vector<uint32_t> entries;
  const auto* words = static_cast<const WORD*>(value);
  for (UINT i = 0; i + 4 <= length; i += 4, words += 2)
    entries.push_back(static_cast<uint32_t>(words[0]) | (static_cast<uint32_t>(words[1]) << 16));
  return entries;
}

std::optional<std::string> FileVersionResource::StringValue(const std::string& subBlock) const {
  void* value = nullptr;
  UINT length = 0;
  void* block = const_cast<uint8_t*>(data_.data());
  if (!::VerQueryValueW(block, Utf8ToWide(subBlock).c_str(), &value, &length) || !value)
    return std::nullopt;
  // The length counts characters, the terminating one with them.
  std::wstring text(static_cast<const wchar_t*>(value), length);
  text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
  return WideToUtf8(text);
}

}  // namespace platform
