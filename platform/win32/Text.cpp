#include "platform/Text.h"

#include "platform/win32/WinApi.h"

namespace platform {

// wchar_t is UTF-16 here: the system's own conversions serve every form.
// Without MB_ERR_INVALID_CHARS they put U+FFFD for what does not convert.

namespace {

std::wstring Widen(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring out(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), length);
  return out;
}

std::string Narrow(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length =
      ::WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string out(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
  return Widen(CP_UTF8, text);
}

std::string WideToUtf8(std::wstring_view text) {
  return Narrow(CP_UTF8, text);
}

std::u16string Utf8ToUtf16(std::string_view text) {
  const std::wstring wide = Utf8ToWide(text);
  return std::u16string(wide.begin(), wide.end());
}

std::string Utf16ToUtf8(std::u16string_view text) {
  return WideToUtf8(std::wstring(text.begin(), text.end()));
}

std::string SystemCodePageToUtf8(std::string_view bytes) {
  return WideToUtf8(Widen(CP_ACP, bytes));
}

std::string Utf8ToSystemCodePage(std::string_view text) {
  return Narrow(CP_ACP, Utf8ToWide(text));
}

}  // namespace platform
