#pragma once

#include <string>

namespace platform {

// Upper-cases UTF-8 text by the rules of the user's locale, so that under a
// Turkish locale "i" becomes "İ" as the user's own system would write it.
// Throws std::runtime_error when the case mapping cannot be made.
std::string LocaleUpper(const std::string& text);

}  // namespace platform
