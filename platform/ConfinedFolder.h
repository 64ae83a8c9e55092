#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FolderHandle.h"
#include "platform/Result.h"

namespace platform {

class UpdateJournal;

// Splits a stored entry name into its components ('\\' counts as '/'; empty
// and "." components drop out). False for a name that is absolute or has a
// ".." component, which could land outside the extraction folder, and for
// one with a component that is no plain name here (CheckName).
bool SplitEntryPath(const std::string& name, std::vector<std::string>* components);

// A file being written: under a temporary name in its folder, renamed over
// the target only by Commit, so a failed entry never replaces a good file or
// leaves a half-written one. Discarded when not committed.
class PendingFile {
 public:
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  Result Write(const void* data, size_t size);
  // `mode`: permission bits, under the process's umask and without the
  // set-id and sticky bits; without one an existing target's bits are kept,
  // else a new file's. `modified`: the last-write time, if any.
  Result Commit(std::optional<uint32_t> mode, std::optional<FileTime> modified);

 private:
  friend class ConfinedFolder;
  PendingFile(FolderHandle folder, FileHandle file, std::string tempName, std::string targetName,
              std::string path);

  FolderHandle folder_;
  FileHandle file_;
  std::string tempName_;
  std::string targetName_;
  std::string path_;  // below the writer's base, for texts and the journal
  bool targetExists_ = false;
  std::optional<uint32_t> targetMode_;  // an existing regular file's bits
  uint32_t umask_ = 022;
  UpdateJournal* journal_ = nullptr;
  size_t root_ = 0;
  bool committed_ = false;
};

// The one writer of extracted files. Paths below its base are walked one
// component at a time from the open base without following links, so no
// entry can land outside it through a link: one in the way is refused
// (FsError::kLink), and so is a component that is no plain name. Temporary
// files that killed writers left are swept from a folder before the first
// file is written there.
class ConfinedFolder {
 public:
  // `base` empty means the current folder. With a journal, every change
  // below `base` is recorded there first.
  static std::unique_ptr<ConfinedFolder> Open(const std::string& base, Result* result,
                                              UpdateJournal* journal = nullptr);
  ~ConfinedFolder();
  ConfinedFolder(const ConfinedFolder&) = delete;
  ConfinedFolder& operator=(const ConfinedFolder&) = delete;

  // Creates every component as a folder; existing ones are kept. The last
  // one, when this makes it, gets `mode`'s permission bits under the umask
  // (always open to its owner), the others a new folder's.
  Result CreateFolders(const std::vector<std::string>& components,
                       std::optional<uint32_t> mode = {});
  // Creates the missing folders and a pending file for the last component.
  // A folder in the target's place is refused (FsError::kFolder).
  std::unique_ptr<PendingFile> CreateFile(const std::vector<std::string>& components,
                                          Result* result);
  // Whether anything is there, looked at without following links.
  bool Exists(const std::vector<std::string>& components);

 private:
  ConfinedFolder(FolderHandle base, UpdateJournal* journal, size_t root);
  // The folder reached by the first `count` components, made where missing
  // when `create`; the last made gets `lastMode`.
  Result Walk(const std::vector<std::string>& components, size_t count, bool create,
              std::optional<uint32_t> lastMode, FolderHandle* folder);
  Result MakeFolder(const FolderHandle& parent, const std::vector<std::string>& components,
                    size_t index, std::optional<uint32_t> mode);

  FolderHandle base_;
  UpdateJournal* journal_;
  size_t root_;
  uint32_t umask_;
  // The folders files were made in, each cleared once of temporary files that
  // killed writers left.
  std::map<std::string, FolderHandle> folders_;
};

}  // namespace platform
