#pragma once

#include <string>
#include <vector>

#include "platform/FolderHandle.h"

// Folders reached from an open folder one name at a time, never through a
// link, so that nothing below it can lead outside.
namespace platform {

// The folder reached by all of `components` from `dir`.
Result OpenFolderPath(const FolderHandle& dir, const std::vector<std::string>& components,
                      FolderHandle* folder);

// Removes `name` inside `dir`: a folder with everything in it, anything else
// by itself; a link is removed, never followed. Ok when nothing is left there
// (also when nothing was).
Result RemoveTreeAt(const FolderHandle& dir, const std::string& name);

// A relative path as the journal keeps it: components joined by '/', "."
// for the folder itself.
std::string JoinComponents(const std::vector<std::string>& components, size_t count);
std::vector<std::string> SplitComponents(const std::string& path);

}  // namespace platform
