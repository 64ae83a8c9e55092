#pragma once

#include <string>

namespace platform {

// Sets `key` in `[section]` of an INI file, creating the file, the section or
// the key as needed and keeping every other line as it stands. Sections and
// keys match without regard to ASCII letter case. The file is replaced
// atomically.
bool WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// The value of `key` in `[section]`, or `fallback`.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback = {});

}  // namespace platform
