#include "platform/LocaleUpper.h"

#include <stdexcept>

#include "platform/Text.h"
#include "platform/win32/WinApi.h"

namespace platform {

std::string LocaleUpper(const std::string& text) {
  if (text.empty()) return {};
  LCID locale = ::GetThreadLocale();
  if (locale == 0) locale = 1033;
  const std::wstring wide = Utf8ToWide(text);
  constexpr DWORD kFlags = LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING;
  const int size = static_cast<int>(wide.size());
  const int length = ::LCMapStringW(locale, kFlags, wide.data(), size, nullptr, 0);
  if (length <= 0) throw std::runtime_error("case mapping failed");
  std::wstring upper(static_cast<size_t>(length), L'\0');
  if (::LCMapStringW(locale, kFlags, wide.data(), size, upper.data(), length) <= 0)
    throw std::runtime_error("case mapping failed");
  return WideToUtf8(upper);
}

std::string InvariantUpper(const std::string& text) {
  const std::wstring wide = Utf8ToWide(text);
  if (wide.empty()) return text;
  const int size = static_cast<int>(wide.size());
  const int length = ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), size,
                                     nullptr, 0, nullptr, nullptr, 0);
  if (length <= 0) return text;
  std::wstring upper(static_cast<size_t>(length), L'\0');
  if (::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(), size, upper.data(),
                      length, nullptr, nullptr, 0) <= 0)
    return text;
  return WideToUtf8(upper);
}

}  // namespace platform
