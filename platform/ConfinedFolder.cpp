#include "platform/ConfinedFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "platform/FolderWalk.h"
#include "platform/Temporaries.h"
#include "platform/UpdateJournal.h"

namespace platform {

namespace {

constexpr size_t kMaxOpenFolders = 128;

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

// The process's umask without changing it (umask() itself only sets it,
// which another thread could see).
uint32_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Umask:", 0) == 0) return std::strtoul(line.c_str() + 6, nullptr, 8) & 0777;
  return 022;
}

}  // namespace

bool SplitEntryPath(const std::string& name, std::vector<std::string>* components) {
  components->clear();
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
  std::string part;
  const auto flush = [&]() {
    if (part == "..") return false;
    if (!part.empty() && part != ".") components->push_back(part);
    part.clear();
    return true;
  };
  for (char c : name) {
    if (c == '/' || c == '\\') {
      if (!flush()) return false;
    } else if (c == '\0') {
      return false;
    } else {
      part += c;
    }
  }
  return flush();
}

PendingFile::PendingFile(std::shared_ptr<const UniqueFd> folder, UniqueFd file,
                         std::string tempName, std::string targetName, std::string path)
    : folder_(std::move(folder)),
      file_(std::move(file)),
      tempName_(std::move(tempName)),
      targetName_(std::move(targetName)),
      path_(std::move(path)) {}

PendingFile::~PendingFile() {
  file_.reset();
  if (!committed_) ::unlinkat(folder_->get(), tempName_.c_str(), 0);
}

Result PendingFile::Write(const void* data, size_t size) {
  if (!WriteAll(file_.get(), data, size)) return Result::FromErrno("cannot write " + Quoted(path_));
  return {};
}

Result PendingFile::Commit(std::optional<uint32_t> mode, std::optional<FileTime> modified) {
  if (!file_.valid()) return Result::Failure(EBADF, Quoted(path_) + " is finished");
  const uint32_t bits = mode ? *mode & 0777 & ~umask_ : targetMode_ ? *targetMode_ : 0666 & ~umask_;
  if (::fchmod(file_.get(), bits) != 0)
    return Result::FromErrno("cannot set the permissions of " + Quoted(path_));
  if (modified) {
    const timespec times[2] = {{0, UTIME_OMIT}, {modified->seconds, modified->nanoseconds}};
    ::futimens(file_.get(), times);  // a time that cannot be set never fails the entry
  }
  if (!file_.Close()) return Result::FromErrno("cannot write " + Quoted(path_));
  const int folder = folder_->get();
  if (journal_) {
    Result saved = journal_->BeforeReplace(root_, path_, folder, targetName_, targetExists_);
    if (!saved) return saved;
  }
  if (::renameat(folder, tempName_.c_str(), folder, targetName_.c_str()) != 0)
    return Result::FromErrno("cannot replace " + Quoted(path_));
  committed_ = true;
  return {};
}

std::unique_ptr<ConfinedFolder> ConfinedFolder::Open(const std::string& base, Result* result,
                                                     UpdateJournal* journal) {
  const std::string path = base.empty() ? "." : base;
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!fd.valid()) {
    *result = Result::FromErrno("cannot open folder " + Quoted(path));
    return nullptr;
  }
  size_t root = 0;
  if (journal) {
    *result = journal->AddRoot(path, &root);
    if (!*result) return nullptr;
  }
  *result = Result();
  return std::unique_ptr<ConfinedFolder>(new ConfinedFolder(std::move(fd), journal, root));
}

ConfinedFolder::ConfinedFolder(UniqueFd fd, UpdateJournal* journal, size_t root)
    : fd_(std::move(fd)), journal_(journal), root_(root), umask_(CurrentUmask()) {}

ConfinedFolder::~ConfinedFolder() = default;

Result ConfinedFolder::MakeFolder(int parent, const std::vector<std::string>& components,
                                  size_t index, std::optional<uint32_t> mode) {
  const std::string path = JoinComponents(components, index + 1);
  if (journal_) {
    Result recorded =
        journal_->BeforeFolderChange(root_, JoinComponents(components, index), parent);
    if (recorded) recorded = journal_->BeforeCreateFolder(root_, path);
    if (!recorded) return recorded;
  }
  // The umask applies, as to any new folder.
  const mode_t bits = mode ? (*mode & 0777) | 0700 : 0777;
  if (::mkdirat(parent, components[index].c_str(), bits) == 0) return {};
  if (errno != EEXIST) return Result::FromErrno("cannot create folder " + Quoted(path));
  return journal_ ? journal_->FolderExisted(root_, path) : Result();
}

Result ConfinedFolder::Walk(const std::vector<std::string>& components, size_t count, bool create,
                            std::optional<uint32_t> lastMode, UniqueFd* folder) {
  UniqueFd current;
  int at = fd_.get();
  bool made = false;  // below a folder just made, nothing is there yet
  for (size_t i = 0; i < count; ++i) {
    UniqueFd next;
    if (!made) next = OpenFolderAt(at, components[i]);
    if (!next.valid()) {
      const int error = made ? ENOENT : errno;
      const std::string path = JoinComponents(components, i + 1);
      if (error == ELOOP)
        return Result::Failure(ELOOP, Quoted(path) + " is a link, never followed");
      if (error != ENOENT || !create) {
        errno = error;
        return Result::FromErrno("cannot enter folder " + Quoted(path));
      }
      Result result = MakeFolder(at, components, i, i + 1 == count ? lastMode : std::nullopt);
      if (!result) return result;
      next = OpenFolderAt(at, components[i]);
      if (!next.valid()) return Result::FromErrno("cannot enter folder " + Quoted(path));
      made = true;
    }
    current = std::move(next);
    at = current.get();
  }
  if (!current.valid()) current = UniqueFd(::dup(fd_.get()));
  if (!current.valid()) return Result::FromErrno("cannot open the base folder");
  *folder = std::move(current);
  return {};
}

Result ConfinedFolder::CreateFolders(const std::vector<std::string>& components,
                                     std::optional<uint32_t> mode) {
  if (journal_)
    if (Result open = journal_->Changeable(); !open) return open;
  UniqueFd folder;
  return Walk(components, components.size(), true, mode, &folder);
}

std::unique_ptr<PendingFile> ConfinedFolder::CreateFile(const std::vector<std::string>& components,
                                                        Result* result) {
  if (components.empty()) {
    *result = Result::Failure(EINVAL, "empty file name");
    return nullptr;
  }
  if (journal_) {
    *result = journal_->Changeable();
    if (!*result) return nullptr;
  }
  const size_t depth = components.size() - 1;
  const std::string path = JoinComponents(components, components.size());
  // Items of an archive come in no order of folders: each folder is opened
  // (and recorded) once.
  const std::string folder = JoinComponents(components, depth);
  auto cached = folders_.find(folder);
  if (cached == folders_.end()) {
    UniqueFd opened;
    *result = Walk(components, depth, true, std::nullopt, &opened);
    if (!*result) return nullptr;
    // Kept for the next file only once the journal knows the folder's times.
    if (journal_) {
      *result = journal_->BeforeFolderChange(root_, folder, opened.get());
      if (!*result) return nullptr;
    }
    SweepStaleTemporaries(opened.get());
    // Open descriptors are few; a package with more folders than this opens
    // some of them again (and sweeps them again, which is harmless).
    if (folders_.size() >= kMaxOpenFolders) folders_.clear();
    cached = folders_.emplace(folder, std::make_shared<const UniqueFd>(std::move(opened))).first;
  }
  const std::shared_ptr<const UniqueFd>& folderFd = cached->second;
  const int dir = folderFd->get();
  const std::string& target = components.back();

  struct stat existing;
  bool exists = ::fstatat(dir, target.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
  if (!exists && errno != ENOENT) {
    *result = Result::FromErrno("cannot look at " + Quoted(path));
    return nullptr;
  }
  if (exists && S_ISDIR(existing.st_mode)) {
    *result = Result::Failure(EISDIR, Quoted(path) + " is a folder");
    return nullptr;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp = TemporaryName(target);
    UniqueFd file(::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (file.valid()) {
      std::unique_ptr<PendingFile> pending(
          new PendingFile(folderFd, std::move(file), std::move(temp), target, path));
      pending->targetExists_ = exists;
      if (exists && S_ISREG(existing.st_mode)) pending->targetMode_ = existing.st_mode & 0777;
      pending->umask_ = umask_;
      pending->journal_ = journal_;
      pending->root_ = root_;
      *result = Result();
      return pending;
    }
    if (errno != EEXIST) break;
  }
  *result = Result::FromErrno("cannot create " + Quoted(path));
  return nullptr;
}

bool ConfinedFolder::Exists(const std::vector<std::string>& components) {
  if (components.empty()) return true;
  UniqueFd folder;
  if (!Walk(components, components.size() - 1, false, std::nullopt, &folder)) return false;
  struct stat st;
  return ::fstatat(folder.get(), components.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

}  // namespace platform
