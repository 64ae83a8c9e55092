#pragma once

#include <string>

// Guards against items that would be written outside the extraction folder.

// A stored path is acceptable when it is relative and has no ".." component
// (either separator counts, as archives from Windows may hold backslashes).
bool IsSafeStoredPath(const std::string& path);

// Whether `path` lies inside `base` once the links among the folders that
// exist on disk are followed. Folders still missing are taken as they are
// named (the extraction creates them as real folders).
bool StaysInside(const std::string& base, const std::string& path);
