#include "platform/Text.h"

#include <unicode/ustring.h>
#include <unicode/utf16.h>

namespace platform {

std::u16string Utf8ToUtf16(std::string_view text) {
  if (text.empty()) return {};
  std::u16string out(text.size() + 1, u'\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strFromUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                       static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return {};
  out.resize(length);
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  if (text.empty()) return {};
  std::string out(text.size() * 3 + 1, '\0');
  int32_t length = 0;
  UErrorCode status = U_ZERO_ERROR;
  u_strToUTF8WithSub(out.data(), static_cast<int32_t>(out.size()), &length, text.data(),
                     static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &status);
  if (U_FAILURE(status)) return {};
  out.resize(length);
  return out;
}

std::wstring Utf8ToWide(std::string_view text) {
  const std::u16string utf16 = Utf8ToUtf16(text);
  std::wstring out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size();) {
    UChar32 c;
    U16_NEXT(utf16.data(), i, utf16.size(), c);
    out.push_back(static_cast<wchar_t>(c));
  }
  return out;
}

std::string WideToUtf8(std::wstring_view text) {
  std::u16string utf16;
  utf16.reserve(text.size());
  for (wchar_t w : text) {
    auto c = static_cast<UChar32>(w);
    if (c < 0 || c > 0x10FFFF || U_IS_SURROGATE(c)) c = 0xFFFD;
    if (c > 0xFFFF) {
      utf16.push_back(U16_LEAD(c));
      utf16.push_back(U16_TRAIL(c));
    } else {
      utf16.push_back(static_cast<char16_t>(c));
    }
  }
  return Utf16ToUtf8(utf16);
}

std::string SystemCodePageToUtf8(std::string_view bytes) {
  return Utf16ToUtf8(Utf8ToUtf16(bytes));
}

std::string Utf8ToSystemCodePage(std::string_view text) {
  return std::string(text);
}

}  // namespace platform
