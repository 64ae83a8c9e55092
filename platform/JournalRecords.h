#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Result.h"

// The text of an update's journal: a header line, then one line per record.
//
//   updater-journal 1 <pid>                 the writing process
//   root <n> <absolute path>                a folder the journal covers
//   times <n> <folder> <as> <ans> <ms> <mns> an existing folder's access and
//                                           modification times before its
//                                           first change
//   folder <n> <path>                       a folder about to be made
//   existed <n> <path>                      ... that was there after all
//   moved <n> <path> <backup>               a file renamed aside to <backup>
//                                           in its own folder
//   created <n> <path>                      a file about to be made where
//                                           there was none
//   commit                                  keep every change
//
// Paths are relative to root n, components joined by '/', "." for the root
// itself. Bytes up to the blank, '%' and DEL are written as %XX.
namespace platform {

struct JournalRecord {
  enum Kind { kRoot, kTimes, kFolder, kExisted, kMoved, kCreated, kCommit };
  Kind kind = kCommit;
  size_t root = 0;
  std::string path;
  std::string backup;  // kMoved
  FileTime accessed;   // kTimes
  FileTime modified;   // kTimes
};

std::string JournalHeader(uint32_t pid);
std::string FormatRecord(const JournalRecord& record);

struct JournalContents {
  uint32_t pid = 0;
  std::vector<std::string> roots;
  // In the order they were made. A folder that turned out to exist already
  // is not among them.
  std::vector<JournalRecord> changes;
  bool committed = false;
};

// False when `text` does not begin with a journal's header. Reading stops at
// the first line that is incomplete or not understood: a journal cut short
// by a power cut is read as far as it goes.
bool ParseJournal(std::string_view text, JournalContents* contents);

}  // namespace platform
