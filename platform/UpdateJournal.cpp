#include "platform/UpdateJournal.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <random>

#include "platform/ConfinedFolder.h"
#include "platform/FileLock.h"
#include "platform/JournalRecords.h"
#include "platform/JournalReplay.h"
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
  if (path.back() != '/') path += '/';
  return path + name;
}

UniqueFd OpenProgramFolder(const std::string& programFolder) {
  const std::string path = programFolder.empty() ? "." : programFolder;
  return UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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
Result ReplayFile(int fd) {
  std::string text;
  if (!ReadAll(fd, &text)) return Result::FromErrno("cannot read the journal");
  JournalContents contents;
  if (!ParseJournal(text, &contents)) return Result::Failure(EINVAL, "not a journal");
  return ReplayJournal(contents, contents.committed);
}

// Replays, and deletes, the journals in `folder` of runs that are gone;
// false when one is left (a living run's, or one that could not be replayed).
bool RecoverJournals(int folder) {
  std::vector<std::string> journals;
  const int listing = ::dup(folder);
  if (DIR* entries = listing < 0 ? nullptr : ::fdopendir(listing)) {
    while (const dirent* entry = ::readdir(entries))
      if (IsJournalName(entry->d_name)) journals.push_back(entry->d_name);
    ::closedir(entries);
  } else if (listing >= 0) {
    ::close(listing);
  }
  bool allGone = true;
  for (const std::string& name : journals) {
    UniqueFd file(::openat(folder, name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    if (!file.valid()) {
      allGone = allGone && errno == ENOENT;
      continue;
    }
    // A lock we cannot take is a living run's.
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0) {
      allGone = false;
      continue;
    }
    // Another start may have finished it between the listing and the lock.
    struct stat held, named;
    if (::fstat(file.get(), &held) != 0 ||
        ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        held.st_ino != named.st_ino || held.st_dev != named.st_dev)
      continue;
    if (ReplayFile(file.get()) && ::unlinkat(folder, name.c_str(), 0) == 0) continue;
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
    *result = Result::Failure(EBUSY, "another update of this installation is under way");
    return nullptr;
  }
  UniqueFd folder = OpenProgramFolder(programFolder);
  const auto refuse = [&](Result why) {
    *result = std::move(why);
    installation->Unlink();
    return nullptr;
  };
  if (!folder.valid())
    return refuse(Result::FromErrno("cannot open the program folder \"" + programFolder + "\""));
  // A journal still there would be undone after ours and take our files
  // with it.
  if (!RecoverJournals(folder.get()))
    return refuse(Result::Failure(EBUSY, "an earlier update of this installation is not undone"));
  const std::string id = NewId();
  const std::string name = kJournalPrefix + id;
  // Made and locked under a temporary name first: under its own name an
  // unlocked journal would look like a dead run's to another start.
  const std::string temp = TemporaryName(name);
  UniqueFd file(
      ::openat(folder.get(), temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600));
  if (!file.valid()) return refuse(Result::FromErrno("cannot create the journal"));
  const std::string header = JournalHeader(CurrentProcessId());
  if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0 ||
      !WriteAll(file.get(), header.data(), header.size()) || ::fdatasync(file.get()) != 0 ||
      ::renameat(folder.get(), temp.c_str(), folder.get(), name.c_str()) != 0 ||
      ::fsync(folder.get()) != 0) {
    Result failed = Result::FromErrno("cannot create the journal");
    ::unlinkat(folder.get(), temp.c_str(), 0);
    ::unlinkat(folder.get(), name.c_str(), 0);
    return refuse(std::move(failed));
  }
  *result = Result();
  return std::unique_ptr<UpdateJournal>(new UpdateJournal(
      std::move(installation), std::move(folder), std::move(file), name, id, header.size()));
}

UpdateJournal::UpdateJournal(std::unique_ptr<FileLock> installation, UniqueFd folder, UniqueFd file,
                             std::string name, std::string id, size_t size)
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
  if (ended_) return Result::Failure(EINVAL, "the update's journal is closed");
  if (damaged_) return Result::Failure(EIO, "the update's journal could not be written");
  return {};
}

// Each record is one write() straight to the file, before the change it
// describes, so a killed process leaves a complete journal. It is not
// flushed to the disk record by record: an fdatasync costs about 0.2 ms on
// an idle disk and far more while an extraction streams, which for a few
// thousand files would be most of the journal's 5 % of a run. Only the
// header, each root and the commit mark are flushed. After a power cut the
// journal may therefore lack its last records; that is why originals wait
// under a name that no sweep of temporary files matches, so that nothing but
// a commit ever deletes one.
Result UpdateJournal::Append(const std::string& record) {
  if (damaged_) return Result::Failure(EIO, "the update's journal could not be written");
  if (!WriteAll(file_.get(), record.data(), record.size())) {
    Result failed = Result::FromErrno("cannot write the journal");
    // A record cut short would hide every later one from a replay: cut it
    // off, or change nothing more.
    if (::ftruncate(file_.get(), static_cast<off_t>(size_)) != 0) damaged_ = true;
    return failed;
  }
  size_ += record.size();
  return {};
}

Result UpdateJournal::AddRoot(const std::string& base, size_t* root) {
  if (Result changeable = Changeable(); !changeable) return changeable;
  // Absolute, so that a later start from another folder finds it.
  char* resolved = ::realpath(base.c_str(), nullptr);
  if (!resolved) return Result::FromErrno("cannot resolve \"" + base + "\"");
  const std::string path = resolved;
  std::free(resolved);
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
  if (::fdatasync(file_.get()) != 0) return Result::FromErrno("cannot write the journal");
  *root = roots_.size();
  roots_.push_back(path);
  rootStates_.emplace_back();
  return {};
}

Result UpdateJournal::BeforeFolderChange(size_t root, const std::string& folder, int folderFd) {
  if (Result changeable = Changeable(); !changeable) return changeable;
  auto& folders = rootStates_[root].folders;
  if (folders.count(folder)) return {};
  struct stat st;
  if (::fstat(folderFd, &st) != 0) return Result::FromErrno("cannot look at \"" + folder + "\"");
  JournalRecord record;
  record.kind = JournalRecord::kTimes;
  record.root = root;
  record.path = folder;
  record.accessed = {st.st_atim.tv_sec, static_cast<int32_t>(st.st_atim.tv_nsec)};
  record.modified = {st.st_mtim.tv_sec, static_cast<int32_t>(st.st_mtim.tv_nsec)};
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

Result UpdateJournal::BeforeReplace(size_t root, const std::string& path, int folderFd,
                                    const std::string& name, bool targetExists) {
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
    int moved =
        ::renameat2(folderFd, name.c_str(), folderFd, record.backup.c_str(), RENAME_NOREPLACE);
    if (moved != 0 && errno == EINVAL)  // a file system without it; the name is unique anyway
      moved = ::renameat(folderFd, name.c_str(), folderFd, record.backup.c_str());
    if (moved == 0) {
      saved.insert(path);
      return {};
    }
    if (errno != ENOENT) return Result::FromErrno("cannot move \"" + path + "\" aside");
    // Gone meanwhile: then the file is one the run makes.
  }
  record.kind = JournalRecord::kCreated;
  record.backup.clear();
  if (Result written = Append(FormatRecord(record)); !written) return written;
  saved.insert(path);
  return {};
}

Result UpdateJournal::Finish() {
  const bool removed = ::unlinkat(folder_.get(), name_.c_str(), 0) == 0 || errno == ENOENT;
  Result result = removed ? Result() : Result::FromErrno("cannot delete the journal");
  file_.reset();  // releases the lock
  if (removed) installation_->Unlink();
  installation_.reset();
  finished_ = true;
  return result;
}

Result UpdateJournal::Commit() {
  if (finished_ && committed_) return {};
  if (ended_ && !committed_) return Result::Failure(EINVAL, "the update was rolled back");
  if (!committed_) {
    const size_t before = size_;
    JournalRecord mark;
    mark.kind = JournalRecord::kCommit;
    Result marked = Append(FormatRecord(mark));
    if (marked && ::fdatasync(file_.get()) != 0)
      marked = Result::FromErrno("cannot write the journal");
    if (!marked) {
      // Without a mark on the disk no original may go. A mark cut off here
      // leaves the update open, to be rolled back; one that may be there
      // after all leaves nothing more to change.
      if (::ftruncate(file_.get(), static_cast<off_t>(before)) != 0) damaged_ = true;
      return marked;
    }
    ended_ = committed_ = true;
  }
  // The update has landed. Originals that cannot be deleted now are left
  // with the journal, for the next start to finish.
  if (ReplayFile(file_.get())) return Finish();
  file_.reset();
  installation_.reset();
  finished_ = true;
  return {};
}

Result UpdateJournal::Rollback() {
  if (finished_ && !committed_) return {};
  if (committed_) return Result::Failure(EINVAL, "the update was committed");
  ended_ = true;
  if (Result replayed = ReplayFile(file_.get()); !replayed) return replayed;
  return Finish();
}

void RecoverInterruptedUpdates(const std::string& programFolder) {
  // A run in the middle of its update holds the installation: its journal,
  // and anything it has not yet recovered itself, are its own.
  std::unique_ptr<FileLock> installation =
      FileLock::Acquire(InFolder(programFolder, kInstallationLock), true);
  if (!installation) return;
  UniqueFd folder = OpenProgramFolder(programFolder);
  if (folder.valid()) {
    RecoverJournals(folder.get());
    // What a start killed while it made its journal left.
    SweepStaleTemporaries(folder.get());
  }
  installation->Unlink();
}

}  // namespace platform
