#pragma once

#include <string>
#include <vector>

namespace platform {

// Splits a parameter text the way the Windows command line is read: a run of
// characters above U+0020 makes one argument, a double quote opens a stretch
// to the next one (quotes are dropped), and a backslash means nothing.
std::vector<std::string> SplitCommandLine(const std::string& text);

}  // namespace platform
