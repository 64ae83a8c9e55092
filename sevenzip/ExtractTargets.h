#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ConfinedFolder.h"

namespace platform {
class UpdateJournal;
}

// Where the items of one extraction go: below the base folder through one
// confined writer, or, for a path that a handler chose outside it, through a
// writer on that path's nearest existing folder. Writers are opened when
// first needed and kept for the pass; with a journal, through it.
class TExtractTargets {
 public:
  TExtractTargets(const std::string& baseDir, platform::UpdateJournal* journal);

  struct TTarget {
    platform::ConfinedFolder* Folder = nullptr;
    std::vector<std::string> Components;
  };
  // An item stored as `components` (already checked) below the base.
  platform::Result Stored(const std::vector<std::string>& components, TTarget* target);
  // An item a handler sent to `path`: still below the base, it is written
  // there like a stored one; elsewhere it is the application's choice.
  platform::Result Chosen(const std::string& path, TTarget* target);

 private:
  // The writer on the nearest existing folder of `path` (absolute, normal)
  // and the components from there.
  platform::Result Nearest(const std::filesystem::path& path, TTarget* target);

  std::filesystem::path FBase;
  platform::UpdateJournal* FJournal;
  bool FBaseFound = false;
  TTarget FBaseTarget;
  std::map<std::string, std::unique_ptr<platform::ConfinedFolder>> FWriters;
};
