#pragma once

#include <map>
#include <string>
#include <vector>

namespace testing_tools {

// Every entry under a folder by relative path: a file's bytes, or "<folder>"
// for a folder and "<link>" for a symbolic link.
using FolderState = std::map<std::string, std::string>;

enum class FolderDetail {
  Contents,
  // Each entry also says its permission bits and modification time (a link
  // its target), so that two states are equal only when those are too.
  ContentsModesAndTimes,
};

FolderState ReadFolderState(const std::string& folder,
                            FolderDetail detail = FolderDetail::Contents);

// Paths under `folder` whose name marks unfinished work of a writer or an
// update: temporary files (".~..."), and journals and the originals they keep
// (".updater-...").
std::vector<std::string> TemporaryLeftovers(const std::string& folder);

// What changed between two states, one line a path, for failure messages.
std::string DescribeChanges(const FolderState& before, const FolderState& after);

}  // namespace testing_tools
