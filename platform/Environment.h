#pragma once

#include <string>

namespace platform {

// The user's locale for text rules such as upper-casing, in ICU's form
// ("tr_TR"): the first of LC_ALL, LC_CTYPE and LANG that is set, without its
// code set or modifier. "en_US" when none is set or it names the C locale.
std::string UserLocale();

// A regular file that the user may execute.
bool IsExecutableFile(const std::string& path);

// The first executable file called `name` in the folders of PATH, or empty.
// Empty PATH entries (the current folder) are not searched.
std::string FindOnPath(const std::string& name);

}  // namespace platform
