#include "platform/Text.h"

#include "platform/win32/WinApi.h"

namespace platform {

// wchar_t is UTF-16 here: the system's own conversions serve every form.
// Without MB_ERR_INVALID_CHARS they put U+FFFD for what does not convert.

std::wstring Utf8ToWide(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring out(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), length);
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string out(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  const std::wstring wide = Utf8ToWide(text);
  return std::u16string(wide.begin(), wide.end());
}

std::string Utf16ToUtf8(std::u16string_view text) {
  return WideToUtf8(std::wstring(text.begin(), text.end()));
}

std::string SystemCodePageToUtf8(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
  return WideToUtf8(wide);
}

std::string Utf8ToSystemCodePage(std::string_view text) {
  const std::wstring wide = Utf8ToWide(text);
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string out(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

}  // namespace platform
