#pragma once

#include "platform/JournalRecords.h"
#include "platform/Result.h"

namespace platform {

// Rolls back what `contents` records: originals renamed back, files and
// folders the run made removed (folders with whatever is in them), the
// run's temporary files removed, then the times of the folders it touched
// put back. With `finishCommit`, deletes the originals instead.
//
// Every step may be done again: a replay that was cut short and is run once
// more ends in the same place. A failure (the first is returned) leaves
// something undone and is worth another try; what can no longer be reached
// (a folder that is gone) counts as done.
Result ReplayJournal(const JournalContents& contents, bool finishCommit);

}  // namespace platform
