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
#include "platform/JournalRecords.h"
#include "platform/JournalReplay.h"
#include "platform/ProcessExists.h"
#include "platform/Temporaries.h"

namespace platform {

namespace {

constexpr char kJournalPrefix[] = ".updater-journal.";
constexpr char kBackupPrefix[] = ".updater-orig.";

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

bool ReadAll(int fd, std::string* text) {
  text->clear();
  char buffer[1 << 16];
  off_t offset = 0;
  while (true) {
    const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    text->append(buffer, static_cast<size_t>(n));
    offset += n;
  }
}

// A journal with the commit mark is finished, any other rolled back.
Result ReplayFile(int fd) {
  std::string text;
  if (!ReadAll(fd, &text)) return Result::FromErrno("cannot read the journal");
  JournalContents contents;
  if (!ParseJournal(text, &contents)) return Result::Failure(EINVAL, "not a journal");
  return ReplayJournal(contents, contents.committed);
}

}  // namespace

std::unique_ptr<UpdateJournal> UpdateJournal::Begin(const std::string& programFolder,
                                                    Result* result) {
  UniqueFd folder = OpenProgramFolder(programFolder);
  if (!folder.valid()) {
    *result = Result::FromErrno("cannot open the program folder \"" + programFolder + "\"");
    return nullptr;
  }
  const std::string id = NewId();
  const std::string name = kJournalPrefix + id;
  // Made and locked under a temporary name first: under its own name an
  // unlocked journal would look like a dead run's to another start.
  const std::string temp = TemporaryName(name);
  UniqueFd file(
      ::openat(folder.get(), temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600));
  if (!file.valid()) {
    *result = Result::FromErrno("cannot create the journal");
    return nullptr;
  }
  const std::string header = JournalHeader(CurrentProcessId());
  if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0 ||
      !WriteAll(file.get(), header.data(), header.size()) || ::fdatasync(file.get()) != 0 ||
      ::renameat(folder.get(), temp.c_str(), folder.get(), name.c_str()) != 0 ||
      ::fsync(folder.get()) != 0) {
    *result = Result::FromErrno("cannot create the journal");
    ::unlinkat(folder.get(), temp.c_str(), 0);
    ::unlinkat(folder.get(), name.c_str(), 0);
    return nullptr;
  }
  *result = Result();
  return std::unique_ptr<UpdateJournal>(
      new UpdateJournal(std::move(folder), std::move(file), name, id));
}

UpdateJournal::UpdateJournal(UniqueFd folder, UniqueFd file, std::string name, std::string id)
    : folder_(std::move(folder)),
      file_(std::move(file)),
      name_(std::move(name)),
      id_(std::move(id)) {}

UpdateJournal::~UpdateJournal() {
  if (!ended_) Rollback();
}

std::unique_ptr<ConfinedFolder> UpdateJournal::OpenFolder(const std::string& base, Result* result) {
  return ConfinedFolder::Open(base, result, this);
}

Result UpdateJournal::Changeable() const {
  if (ended_) return Result::Failure(EINVAL, "the update's journal is closed");
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
  if (!WriteAll(file_.get(), record.data(), record.size()))
    return Result::FromErrno("cannot write the journal");
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
  finished_ = true;
  return result;
}

Result UpdateJournal::Commit() {
  if (finished_ && committed_) return {};
  if (ended_ && !committed_) return Result::Failure(EINVAL, "the update was rolled back");
  if (!committed_) {
    const off_t before = ::lseek(file_.get(), 0, SEEK_END);
    JournalRecord mark;
    mark.kind = JournalRecord::kCommit;
    Result marked = Append(FormatRecord(mark));
    if (marked && ::fdatasync(file_.get()) != 0)
      marked = Result::FromErrno("cannot write the journal");
    if (!marked) {
      // Without a mark on the disk no original may go. A mark cut off here
      // leaves the update open, to be rolled back.
      if (before < 0 || ::ftruncate(file_.get(), before) != 0) ended_ = committed_ = true;
      return marked;
    }
    ended_ = committed_ = true;
  }
  if (Result replayed = ReplayFile(file_.get()); !replayed) return replayed;
  return Finish();
}

Result UpdateJournal::Rollback() {
  if (finished_ && !committed_) return {};
  if (committed_) return Result::Failure(EINVAL, "the update was committed");
  ended_ = true;
  if (Result replayed = ReplayFile(file_.get()); !replayed) return replayed;
  return Finish();
}

void RecoverInterruptedUpdates(const std::string& programFolder) {
  UniqueFd folder = OpenProgramFolder(programFolder);
  if (!folder.valid()) return;
  std::vector<std::string> journals;
  const int listing = ::dup(folder.get());
  if (DIR* entries = listing < 0 ? nullptr : ::fdopendir(listing)) {
    while (const dirent* entry = ::readdir(entries))
      if (IsJournalName(entry->d_name)) journals.push_back(entry->d_name);
    ::closedir(entries);
  } else if (listing >= 0) {
    ::close(listing);
  }
  for (const std::string& name : journals) {
    UniqueFd file(::openat(folder.get(), name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC));
    // A lock we cannot take is a living run's.
    if (!file.valid() || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0) continue;
    // Another start may have finished it between the listing and the lock.
    struct stat held, named;
    if (::fstat(file.get(), &held) != 0 ||
        ::fstatat(folder.get(), name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        held.st_ino != named.st_ino || held.st_dev != named.st_dev)
      continue;
    if (ReplayFile(file.get())) ::unlinkat(folder.get(), name.c_str(), 0);
  }
  // What a start killed while it made its journal left.
  SweepStaleTemporaries(folder.get());
}

}  // namespace platform
