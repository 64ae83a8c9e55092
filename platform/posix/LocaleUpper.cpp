#include "platform/LocaleUpper.h"

#include <unicode/ucasemap.h>

#include <stdexcept>

#include "platform/Environment.h"

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

}  // namespace platform
