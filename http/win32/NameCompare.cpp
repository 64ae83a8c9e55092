#include "http/NameValueList.h"
#include "platform/Text.h"
#include "platform/win32/WinApi.h"

// Case-insensitive by the user's locale, as the system's own lists compare.
bool TNameValueList::SameName(const std::string& a, const std::string& b) {
  const std::wstring wideA = platform::Utf8ToWide(a);
  const std::wstring wideB = platform::Utf8ToWide(b);
  return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.data(),
                          static_cast<int>(wideA.size()), wideB.data(),
                          static_cast<int>(wideB.size())) == CSTR_EQUAL;
}
