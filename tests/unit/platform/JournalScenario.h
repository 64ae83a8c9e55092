#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tests/tools/faults/FolderState.h"

namespace platform {
class ConfinedFolder;
class UpdateJournal;
}  // namespace platform

// An installation and the passes of an update over it, for the journal's
// suites and for the child program that runs a pass and waits to be killed.
namespace writer_testing {

// Files with their own permission bits and times (a read-only one among
// them), in folders of their own times; "link", a link to "top.txt", where
// the system can make one. False when there is no link.
bool MakeInstallation(const std::string& app);

// One file through the writer; false (and why on stderr) when it failed.
bool Put(platform::ConfinedFolder& folder, const std::vector<std::string>& path,
         const std::string& content, std::optional<uint32_t> mode);

// One pass of an update labelled by `label` through a writer of `journal`
// on `base`: files replaced (the link among them) and made in old and new
// folders, a read-only one among them, an empty folder made, the version
// record written keeping its bits.
bool Pass(platform::UpdateJournal& journal, const std::string& base, const std::string& label);

// The installation after passes labelled `label`.
testing_tools::FolderState NewTree(const std::string& label);

}  // namespace writer_testing
