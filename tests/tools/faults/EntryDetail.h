#pragma once

#include <filesystem>
#include <string>

namespace testing_tools {

// " [mode …, mtime …]" of `path` itself, as FolderDetail::ContentsModesAndTimes
// shows it: the permission bits here, the read-only attribute on Windows.
std::string EntryDetail(const std::filesystem::path& path);

}  // namespace testing_tools
