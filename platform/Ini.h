#pragma once

#include <string>

namespace platform {

// INI files as the profile service keeps them. A file that starts with a
// UTF-16LE byte-order mark is read and written as UTF-16LE, any other as
// 8-bit text. Sections and keys match without regard to ASCII letter case.

// `content` (a whole INI file's bytes, empty for a missing file) with `key`
// set in `[section]`: the key's line is rewritten in place, or the key is
// added at the end of its section, or the section at the end of the file.
// Every other byte stays as it is.
std::string SetProfileStringInText(const std::string& content, const std::string& section,
                                   const std::string& key, const std::string& value);

// The value of `key` in `[section]`, or `fallback`.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback = {});

}  // namespace platform
