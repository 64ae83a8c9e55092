#pragma once

#include <string>
#include <string_view>

namespace platform {

// Text is UTF-8 inside the program; these convert at the boundaries that want
// UTF-16 (version resources, script files) or wchar_t (the codec library).
// Invalid sequences become U+FFFD rather than failing.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// 8-bit text in the system's code page, as UTF-8: the ANSI code page on
// Windows, UTF-8 itself on Linux.
std::string SystemCodePageToUtf8(std::string_view bytes);
// The other way: UTF-8 text as 8-bit text in the system's code page, what has
// no mapping there becoming the conversion's default character.
std::string Utf8ToSystemCodePage(std::string_view text);

}  // namespace platform
