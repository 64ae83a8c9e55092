#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Decodes a script file to UTF-8: a byte-order mark selects UTF-8, UTF-16LE
// or UTF-16BE; without one the text is in the system's code page (the ANSI
// code page on Windows, UTF-8 on Linux). Invalid sequences become U+FFFD.
std::string DecodeScriptBytes(std::string_view bytes);

// Lines separated by CR, LF or CR LF; the first NUL ends the text.
std::vector<std::string> SplitScriptLines(std::string_view text);

// Removes every character of code U+0020 or below from both ends.
std::string TrimLine(std::string_view line);

// The pause an "API SLEEP" count asks for: 1000 ms when the count is missing
// or not a number, none when it is negative.
uint32_t SleepMilliseconds(const std::string& count);
