#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/FolderHandle.h"
#include "platform/Result.h"

namespace platform {

class ConfinedFolder;
class FileLock;

// One update as one transaction. Every change that a writer from OpenFolder
// makes is recorded in a journal file in the program folder before it is
// made: a replaced file is renamed aside (never copied), a file or folder
// that is made is noted, and an existing folder's times are noted before
// its first change. Commit keeps the changes; Rollback, or the next start
// after the process was killed, undoes them exactly.
//
// The journal is ".updater-journal.<pid>-<16 hex digits>", locked by its
// process for as long as the object lives; originals wait beside their
// files as ".updater-orig.<journal id>.<n>.<name>".
//
// Writers, and the files they create, must not outlive the journal; after
// Commit or Rollback they refuse every change. One thread only.
class UpdateJournal {
 public:
  // A new journal in `programFolder`.
  static std::unique_ptr<UpdateJournal> Begin(const std::string& programFolder, Result* result);
  // Rolls back unless committed.
  ~UpdateJournal();
  UpdateJournal(const UpdateJournal&) = delete;
  UpdateJournal& operator=(const UpdateJournal&) = delete;

  // A writer on `base` (empty: the current folder) whose changes this
  // journal records.
  std::unique_ptr<ConfinedFolder> OpenFolder(const std::string& base, Result* result);

  // Keeps every change: writes the commit mark, then deletes the originals
  // and the journal. A failure after the mark leaves the journal for the
  // next start to finish; the new files are in place either way.
  Result Commit();
  // Undoes every change and deletes the journal. A failure leaves the
  // journal (still locked until this process ends) for another Rollback or
  // the next start.
  Result Rollback();

  // The journal file's name in the program folder.
  const std::string& name() const { return name_; }

 private:
  friend class ConfinedFolder;
  friend class PendingFile;

  UpdateJournal(std::unique_ptr<FileLock> installation, FolderHandle folder, FileHandle file,
                std::string name, std::string id, size_t size);

  // What the writers tell the journal, each before the change it names.
  // `path`s are relative to the root, as the journal keeps them.
  Result AddRoot(const FolderHandle& base, size_t* root);
  Result BeforeFolderChange(size_t root, const std::string& folder, const FolderHandle& handle);
  Result BeforeCreateFolder(size_t root, const std::string& path);
  Result FolderExisted(size_t root, const std::string& path);
  // Moves an existing target aside the first time this journal replaces it.
  Result BeforeReplace(size_t root, const std::string& path, const FolderHandle& folder,
                       const std::string& name, bool targetExists);

  Result Changeable() const;
  Result Append(const std::string& record);
  Result Finish();

  struct RootState {
    // Files whose original is safe (moved aside, or there was none).
    std::unordered_set<std::string> saved;
    // Folders made by the run, or whose times are recorded.
    std::unordered_set<std::string> folders;
  };

  std::unique_ptr<FileLock> installation_;
  FolderHandle folder_;
  FileHandle file_;
  std::string name_;
  std::string id_;
  std::vector<std::string> roots_;
  std::vector<RootState> rootStates_;
  size_t size_;  // of the journal's complete records
  uint64_t backups_ = 0;
  bool ended_ = false;
  bool committed_ = false;
  bool finished_ = false;
  bool damaged_ = false;  // a record could not be written or cut off
};

// Rolls back, or finishes the commit of, every journal in `programFolder`
// whose process is gone, and deletes it; a journal still held by a living
// process is left alone.
void RecoverInterruptedUpdates(const std::string& programFolder);

}  // namespace platform
