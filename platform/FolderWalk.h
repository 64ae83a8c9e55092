#pragma once

#include <string>
#include <vector>

#include "platform/FileDescriptor.h"

// Folders reached from an open folder one name at a time, never through a
// symbolic link, so that nothing below it can lead outside.
namespace platform {

// The folder `name` inside `dir`; invalid with errno set when there is none,
// ELOOP when `name` is a link.
UniqueFd OpenFolderAt(int dir, const std::string& name);

// The folder reached by all of `components` from `dir`.
UniqueFd OpenFolderPath(int dir, const std::vector<std::string>& components);

// Removes `name` inside `dir`: a folder with everything in it, anything else
// by itself; a link is removed, never followed. True when nothing is left
// there (also when nothing was).
bool RemoveTreeAt(int dir, const std::string& name);

// A relative path as the journal keeps it: components joined by '/', "."
// for the folder itself.
std::string JoinComponents(const std::vector<std::string>& components, size_t count);
std::vector<std::string> SplitComponents(const std::string& path);

}  // namespace platform
