#pragma once

#include <string>

namespace platform {

// The platform's path rules. On Windows the backslash separates (the slash
// is read as one too) and drive letters and \\server\share name roots; on
// Linux the slash separates and "/" is the only root.

// The separator this platform writes: '\\' on Windows, '/' on Linux.
extern const char kPathSeparator;

// The characters after which a file name starts: "\\:" on Windows (the
// separator, and the colon of a drive), "/" on Linux.
extern const char* const kNameDelimiters;

bool IsPathSeparator(char c);

// Whether `path` names a place without the current folder: on Windows a path
// with a colon anywhere (a drive) or one that starts with two separators
// (\\server\share, \\?\); on Linux one that starts with '/'.
bool IsAbsolutePath(const std::string& path);

// The full path of what `path` names, with every link on the way resolved;
// empty when it does not exist or cannot be resolved.
std::string ResolvedPath(const std::string& path);

// Whether a resolved path is a root: "/" on Linux; a drive root or a
// \\server\share on Windows.
bool IsRootPath(const std::string& resolved);

}  // namespace platform
