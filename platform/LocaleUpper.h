#pragma once

#include <string>

namespace platform {

// Upper-cases UTF-8 text by the rules of the user's locale, so that under a
// Turkish locale "i" becomes "İ" as the user's own system would write it.
// Throws std::runtime_error when the case mapping cannot be made.
std::string LocaleUpper(const std::string& text);

// Upper-cases UTF-8 text the same way under every locale: ICU's full
// mapping on Linux (ß becomes SS), the system's invariant mapping on
// Windows, which maps one character to one (ß stays). Text that cannot be
// mapped comes back unchanged.
std::string InvariantUpper(const std::string& text);

}  // namespace platform
