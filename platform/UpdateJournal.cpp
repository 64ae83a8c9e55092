#include "platform/UpdateJournal.h"

#include <stdio.h>

#include <random>

#include "platform/ConfinedFolder.h"
#include "platform/FileLock.h"
#include "platform/JournalRecords.h"
#include "platform/JournalReplay.h"
#include "platform/Paths.h"
#include "platform/ProcessExists.h"
#include "platform/Temporaries.h"

namespace platform {

namespace {

constexpr char kJournalPrefix[] = ".updater-journal.";
constexpr char kBackupPrefix[] = ".updater-orig.";
// Held by a run from its journal's beginning to its end, and by a start
// while it recovers: two transactions on one installation would undo each
// other's files.
constexpr char kInstallationLock[] = ".updater-lock";

std::string InFolder(const std::string& folder, const char* name) {
  std::string path = folder.empty() ? "." : folder;
  if (!IsPathSeparator(path.back())) path += kPathSeparator;
  return path + name;
}

std::string NewId() {
  std::random_device random;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%08x%08x", random(), random());
  return std::to_string(CurrentProcessId()) + "-" + hex;
}

bool IsJournalName(const std::string& name) {
  const size_t prefix = sizeof kJournalPrefix - 1;
  if (name.compare(0, prefix, kJournalPrefix) != 0 || name.size() == prefix) return false;
  for (size_t i = prefix; i < name.size(); ++i) {
    const char c = name[i];
    if (!(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'f') && c != '-') return false;
  }
  return true;
}

// A journal with the commit mark is finished, any other rolled back.
Result ReplayFile(FileHandle& file) {
  std::string text;
  if (Result read = file.ReadAll(&text); !read) return Because("cannot read the journal", read);
  JournalContents contents;
  if (!ParseJournal(text, &contents)) return Refused(FsError::kOther, "not a journal");
  return ReplayJournal(contents, contents.committed);
}

// Replays, and deletes, the journals in `folder` of runs that are gone;
// false when one is left (a living run's, or one that could not be replayed)
// or the folder cannot be listed.
bool RecoverJournals(const FolderHandle& folder) {
  std::vector<std::string> names;
  // Unlisted, a journal could be there all the same.
  if (!folder.List(&names)) return false;
  bool allGone = true;
  for (const std::string& name : names) {
    if (!IsJournalName(name)) continue;
    FileHandle file;
    if (Result opened = folder.OpenFile(name, &file); !opened) {
      allGone = allGone && ErrorOf(opened) == FsError::kMissing;
      continue;
    }
    // A lock we cannot take is a living run's.
    if (!file.TryLock()) {
      allGone = false;
      continue;
    }
    // Another start may have finished it between the listing and the lock.
    if (!file.IsNamed(folder, name)) continue;
    if (ReplayFile(file) && file.RemoveFrom(folder, name)) continue;
    allGone = false;
  }
  return allGone;
}

}  // namespace

std::unique_ptr<UpdateJournal> UpdateJournal::Begin(const std::string& programFolder,
                                                    Result* result) {
  std::unique_ptr<FileLock> installation =
      FileLock::Acquire(InFolder(programFolder, kInstallationLock), true);
  if (!installation) {
    *result = Refused(FsError::kBusy, "another update of this installation is under way");
    return nullptr;
  }
  const auto refuse = [&](Result why) {
    *result = std::move(why);
    installation->Unlink();
    return nullptr;
  };
  FolderHandle folder;
  if (Result opened = FolderHandle::Open(programFolder, &folder); !opened)
    return refuse(Because("cannot open the program folder \"" + programFolder + "\"", opened));
  // A journal still there would be undone after ours and take our files
  // with it.
  if (!RecoverJournals(folder))
    return refuse(Refused(FsError::kBusy, "an earlier update of this installation is not undone"));
  const std::string id = NewId();
  const std::string name = kJournalPrefix + id;
  // Made and locked under a temporary name first: under its own name an
  // unlocked journal would look like a dead run's to another start.
  const std::string temp = TemporaryName(name);
  FileHandle file;
  if (Result created = folder.CreateNew(temp, &file); !created)
    return refuse(Because("cannot create the journal", created));
  const std::string header = JournalHeader(CurrentProcessId());
  Result made = file.TryLock();
  if (made) made = file.WriteAt(header.data(), header.size(), 0);
  if (made) made = file.Flush();
  if (made) made = folder.Rename(temp, name, false);
  if (made) made = folder.Flush();
  if (!made) {
    folder.RemoveFile(temp);
    folder.RemoveFile(name);
    return refuse(Because("cannot create the journal", made));
  }
  *result = Result();
  return std::unique_ptr<UpdateJournal>(new UpdateJournal(
      std::move(installation), std::move(folder), std::move(file), name, id, header.size()));
}

UpdateJournal::UpdateJournal(std::unique_ptr<FileLock> installation, FolderHandle folder,
                             FileHandle file, std::string name, std::string id, size_t size)
    : installation_(std::move(installation)),
      folder_(std::move(folder)),
      file_(std::move(file)),
      name_(std::move(name)),
      id_(std::move(id)),
      size_(size) {}

UpdateJournal::~UpdateJournal() {
  if (!ended_) Rollback();
}

std::unique_ptr<ConfinedFolder> UpdateJournal::OpenFolder(const std::string& base, Result* result) {
  return ConfinedFolder::Open(base, result, this);
}

Result UpdateJournal::Changeable() const {
  if (ended_) return Refused(FsError::kOther, "the update's journal is closed");
  if (damaged_) return Refused(FsError::kOther, "the update's journal could not be written");
  return {};
}

// Each record is one write straight to the file, before the change it
// describes, so a killed process leaves a complete journal. It is not
// flushed to the disk record by record: a flush costs about 0.2 ms on
// an idle disk and far more while an extraction streams, which for a few
// thousand files would be most of the journal's 5 % of a run. Only the
// header, each root and the commit mark are flushed. After a power cut the
// journal may therefore lack its last records; that is why originals wait
// under a name that no sweep of temporary files matches, so that nothing but
// a commit ever deletes one.
Result UpdateJournal::Append(const std::string& record) {
  if (damaged_) return Refused(FsError::kOther, "the update's journal could not be written");
  if (Result written = file_.WriteAt(record.data(), record.size(), static_cast<int64_t>(size_));
      !written) {
    // A record cut short would hide every later one from a replay: cut it
    // off, or change nothing more.
    if (!file_.Truncate(static_cast<int64_t>(size_))) damaged_ = true;
    return Because("cannot write the journal", written);
  }
  size_ += record.size();
  return {};
}

Result UpdateJournal::AddRoot(const FolderHandle& base, size_t* root) {
  if (Result changeable = Changeable(); !changeable) return changeable;
  // Absolute, so that a later start from another folder finds it.
  std::string path;
  if (Result resolved = base.AbsolutePath(&path); !resolved)
    return Because("cannot resolve the folder to write in", resolved);
  for (size_t i = 0; i < roots_.size(); ++i) {
    if (roots_[i] == path) {
      *root = i;
      return {};
    }
  }
  JournalRecord record;
  record.kind = JournalRecord::kRoot;
  record.root = roots_.size();
  record.path = path;
  if (Result written = Append(FormatRecord(record)); !written) return written;
  if (Result flushed = file_.Flush(); !flushed) return Because("cannot write the journal", flushed);
  *root = roots_.size();
  roots_.push_back(path);
  rootStates_.emplace_back();
  return {};
}

Result UpdateJournal::BeforeFolderChange(size_t root, const std::string& folder,
                                         const FolderHandle& handle) {
  if (Result changeable = Changeable(); !changeable) return changeable;
  auto& folders = rootStates_[root].folders;
  if (folders.count(folder)) return {};
  JournalRecord record;
  record.kind = JournalRecord::kTimes;
  record.root = root;
  record.path = folder;
  if (Result looked = handle.Times(&record.accessed, &record.modified); !looked)
    return Because("cannot look at \"" + folder + "\"", looked);
  if (Result written = Append(FormatRecord(record)); !written) return written;
  folders.insert(folder);
  return {};
}

Result UpdateJournal::BeforeCreateFolder(size_t root, const std::string& path) {
  if (Result changeable = Changeable(); !changeable) return changeable;
  JournalRecord record;
  record.kind = JournalRecord::kFolder;
  record.root = root;
  record.path = path;
  if (Result written = Append(FormatRecord(record)); !written) return written;
  rootStates_[root].folders.insert(path);  // the run's own: no times to keep
  return {};
}

Result UpdateJournal::FolderExisted(size_t root, const std::string& path) {
  // Another writer made it in the meantime: not ours to remove.
  JournalRecord record;
  record.kind = JournalRecord::kExisted;
  record.root = root;
  record.path = path;
  rootStates_[root].folders.erase(path);
  return Append(FormatRecord(record));
}

Result UpdateJournal::BeforeReplace(size_t root, const std::string& path,
                                    const FolderHandle& folder, const std::string& name,
                                    bool targetExists) {
  if (Result changeable = Changeable(); !changeable) return changeable;
  // Later passes simply overwrite: the first original is the one to keep.
  auto& saved = rootStates_[root].saved;
  if (saved.count(path)) return {};
  JournalRecord record;
  record.root = root;
  record.path = path;
  if (targetExists) {
    record.kind = JournalRecord::kMoved;
    record.backup =
        kBackupPrefix + id_ + "." + std::to_string(backups_++) + "." + name.substr(0, 200);
    if (Result written = Append(FormatRecord(record)); !written) return written;
    const Result moved = folder.Rename(name, record.backup, false);
    if (moved) {
      saved.insert(path);
      return {};
    }
    if (ErrorOf(moved) != FsError::kMissing)
      return Because("cannot move \"" + path + "\" aside", moved);
    // Gone meanwhile: then the file is one the run makes.
  }
  record.kind = JournalRecord::kCreated;
  record.backup.clear();
  if (Result written = Append(FormatRecord(record)); !written) return written;
  saved.insert(path);
  return {};
}

Result UpdateJournal::Finish() {
  const Result removed = file_.RemoveFrom(folder_, name_);
  const bool gone = removed || ErrorOf(removed) == FsError::kMissing;
  file_.Close();  // releases the lock
  if (gone) installation_->Unlink();
  installation_.reset();
  finished_ = true;
  return gone ? Result() : Because("cannot delete the journal", removed);
}

Result UpdateJournal::Commit() {
  if (finished_ && committed_) return {};
  if (ended_ && !committed_) return Refused(FsError::kOther, "the update was rolled back");
  if (!committed_) {
    const size_t before = size_;
    JournalRecord mark;
    mark.kind = JournalRecord::kCommit;
    Result marked = Append(FormatRecord(mark));
    if (marked)
      if (Result flushed = file_.Flush(); !flushed)
        marked = Because("cannot write the journal", flushed);
    if (!marked) {
      // Without a mark on the disk no original may go. A mark cut off here
      // leaves the update open, to be rolled back; one that may be there
      // after all leaves nothing more to change.
      if (!file_.Truncate(static_cast<int64_t>(before))) damaged_ = true;
      return marked;
    }
    ended_ = committed_ = true;
  }
  // The update has landed. Originals that cannot be deleted now are left
  // with the journal, for the next start to finish.
  if (ReplayFile(file_)) return Finish();
  file_.Close();
  installation_.reset();
  finished_ = true;
  return {};
}

Result UpdateJournal::Rollback() {
  if (finished_ && !committed_) return {};
  if (committed_) return Refused(FsError::kOther, "the update was committed");
  ended_ = true;
  if (Result replayed = ReplayFile(file_); !replayed) return replayed;
  return Finish();
}

void RecoverInterruptedUpdates(const std::string& programFolder) {
  // A run in the middle of its update holds the installation: its journal,
  // and anything it has not yet recovered itself, are its own.
  std::unique_ptr<FileLock> installation =
      FileLock::Acquire(InFolder(programFolder, kInstallationLock), true);
  if (!installation) return;
  FolderHandle folder;
  if (FolderHandle::Open(programFolder, &folder)) {
    RecoverJournals(folder);
    // What a start killed while it made its journal left.
    SweepStaleTemporaries(folder);
  }
  installation->Unlink();
}

}  // namespace platform
