#pragma once

#include <map>
#include <string>
#include <vector>

namespace testing_tools {

// Every entry under a folder by relative path: a file's bytes, or "<folder>"
// for a folder and "<link>" for a symbolic link.
using FolderState = std::map<std::string, std::string>;

FolderState ReadFolderState(const std::string& folder);

// Paths under `folder` whose name marks an unfinished write: the temporary
// files of extraction (".7z-...") and of atomic replacement (".~...").
std::vector<std::string> TemporaryLeftovers(const std::string& folder);

// What changed between two states, one line a path, for failure messages.
std::string DescribeChanges(const FolderState& before, const FolderState& after);

}  // namespace testing_tools
