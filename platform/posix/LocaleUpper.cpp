#include "platform/LocaleUpper.h"

#include <unicode/ucasemap.h>
#include <unicode/ustring.h>

#include <stdexcept>

#include "platform/Environment.h"
#include "platform/Text.h"

namespace platform {

std::string LocaleUpper(const std::string& text) {
  if (text.empty()) return {};
  UErrorCode status = U_ZERO_ERROR;
  icu::LocalUCaseMapPointer map(ucasemap_open(UserLocale().c_str(), 0, &status));
  if (U_FAILURE(status)) throw std::runtime_error("case mapping unavailable");

  const auto upper = [&](std::string& out) {
    status = U_ZERO_ERROR;
    return ucasemap_utf8ToUpper(map.getAlias(), out.data(), static_cast<int32_t>(out.size()),
                                text.data(), static_cast<int32_t>(text.size()), &status);
  };
  std::string out(text.size() + 8, '\0');
  int32_t length = upper(out);
  if (status == U_BUFFER_OVERFLOW_ERROR) {
    out.resize(static_cast<size_t>(length));
    length = upper(out);
  }
  if (U_FAILURE(status)) throw std::runtime_error("case mapping failed");
  out.resize(static_cast<size_t>(length));
  return out;
}

std::string InvariantUpper(const std::string& text) {
  const std::u16string wide = Utf8ToUtf16(text);
  if (wide.empty()) return text;
  // A full mapping can grow the text (ß -> SS); ask for the size first.
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length =
      u_strToUpper(nullptr, 0, wide.data(), static_cast<int32_t>(wide.size()), "", &status);
  if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return text;
  std::u16string upper(static_cast<size_t>(length), u'\0');
  status = U_ZERO_ERROR;
  u_strToUpper(upper.data(), length, wide.data(), static_cast<int32_t>(wide.size()), "", &status);
  if (U_FAILURE(status)) return text;
  return Utf16ToUtf8(upper);
}

}  // namespace platform
