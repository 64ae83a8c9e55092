#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

class FolderHandle;

// The one temporary-name scheme of every writer in this layer: ".~", the
// target's name, ".", the writer's process id, ".", a counter. The id tells
// a later writer whether the file's writer is gone.
std::string TemporaryName(const std::string& target);

// The writer's process id in a temporary name, 0 for any other name.
uint32_t TemporaryOwner(const std::string& name);

// Removes from `dir` the temporary files whose writer `remove` picks.
void RemoveTemporaries(const FolderHandle& dir, const std::function<bool(uint32_t owner)>& remove);

// A process killed while it wrote leaves its temporary file behind, as large
// as the entry, and nothing else would ever remove it: removes those of
// processes that no longer exist.
void SweepStaleTemporaries(const FolderHandle& dir);
void SweepStaleTemporaries(const std::string& folder);

}  // namespace platform
