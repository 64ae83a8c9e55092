#include "platform/ConfinedFolder.h"

#include <algorithm>

#include "platform/FolderWalk.h"
#include "platform/Temporaries.h"
#include "platform/UpdateJournal.h"

namespace platform {

namespace {

constexpr size_t kMaxOpenFolders = 128;

std::string Quoted(const std::string& path) {
  return "\"" + path + "\"";
}

Result CheckNames(const std::vector<std::string>& components) {
  for (const std::string& name : components)
    if (Result plain = CheckName(name); !plain) return plain;
  return {};
}

}  // namespace

bool SplitEntryPath(const std::string& name, std::vector<std::string>* components) {
  components->clear();
  if (name.empty() || name[0] == '/' || name[0] == '\\') return false;
  std::string part;
  const auto flush = [&]() {
    if (!part.empty() && part != ".") {
      if (!CheckName(part)) return false;
      components->push_back(part);
    }
    part.clear();
    return true;
  };
  for (char c : name) {
    if (c == '/' || c == '\\') {
      if (!flush()) return false;
    } else {
      part += c;
    }
  }
  return flush();
}

PendingFile::PendingFile(FolderHandle folder, FileHandle file, std::string tempName,
                         std::string targetName, std::string path)
    : folder_(std::move(folder)),
      file_(std::move(file)),
      tempName_(std::move(tempName)),
      targetName_(std::move(targetName)),
      path_(std::move(path)) {}

PendingFile::~PendingFile() {
  file_.Close();
  if (!committed_) folder_.RemoveFile(tempName_);
}

Result PendingFile::Write(const void* data, size_t size) {
  if (!file_.valid()) return Refused(FsError::kOther, Quoted(path_) + " is finished");
  if (Result written = file_.Write(data, size); !written)
    return Because("cannot write " + Quoted(path_), written);
  return {};
}

Result PendingFile::Commit(std::optional<uint32_t> mode, std::optional<FileTime> modified) {
  if (!file_.valid()) return Refused(FsError::kOther, Quoted(path_) + " is finished");
  const uint32_t bits = mode ? *mode & 0777 & ~umask_ : targetMode_ ? *targetMode_ : 0666 & ~umask_;
  if (Result set = file_.SetPermissions(bits); !set)
    return Because("cannot set the permissions of " + Quoted(path_), set);
  if (modified) file_.SetModified(*modified);  // a time that cannot be set never fails the entry
  if (Result closed = file_.Close(); !closed)
    return Because("cannot write " + Quoted(path_), closed);
  if (journal_) {
    Result saved = journal_->BeforeReplace(root_, path_, folder_, targetName_, targetExists_);
    if (!saved) return saved;
  }
  if (Result renamed = folder_.Rename(tempName_, targetName_, true); !renamed)
    return Because("cannot replace " + Quoted(path_), renamed);
  committed_ = true;
  return {};
}

std::unique_ptr<ConfinedFolder> ConfinedFolder::Open(const std::string& base, Result* result,
                                                     UpdateJournal* journal) {
  FolderHandle folder;
  if (Result opened = FolderHandle::Open(base, &folder); !opened) {
    *result = Because("cannot open folder " + Quoted(base.empty() ? "." : base), opened);
    return nullptr;
  }
  size_t root = 0;
  if (journal) {
    *result = journal->AddRoot(folder, &root);
    if (!*result) return nullptr;
  }
  *result = Result();
  return std::unique_ptr<ConfinedFolder>(new ConfinedFolder(std::move(folder), journal, root));
}

ConfinedFolder::ConfinedFolder(FolderHandle base, UpdateJournal* journal, size_t root)
    : base_(std::move(base)), journal_(journal), root_(root), umask_(CreationMask()) {}

ConfinedFolder::~ConfinedFolder() = default;

Result ConfinedFolder::MakeFolder(const FolderHandle& parent,
                                  const std::vector<std::string>& components, size_t index,
                                  std::optional<uint32_t> mode) {
  const std::string path = JoinComponents(components, index + 1);
  if (journal_) {
    Result recorded =
        journal_->BeforeFolderChange(root_, JoinComponents(components, index), parent);
    if (recorded) recorded = journal_->BeforeCreateFolder(root_, path);
    if (!recorded) return recorded;
  }
  // The creation mask applies, as to any new folder.
  const uint32_t bits = mode ? (*mode & 0777) | 0700 : 0777;
  const Result made = parent.MakeFolder(components[index], bits);
  if (made) return {};
  if (ErrorOf(made) != FsError::kExists)
    return Because("cannot create folder " + Quoted(path), made);
  return journal_ ? journal_->FolderExisted(root_, path) : Result();
}

Result ConfinedFolder::Walk(const std::vector<std::string>& components, size_t count, bool create,
                            std::optional<uint32_t> lastMode, FolderHandle* folder) {
  FolderHandle current = base_;
  bool made = false;  // below a folder just made, nothing is there yet
  for (size_t i = 0; i < count; ++i) {
    const std::string path = JoinComponents(components, i + 1);
    FolderHandle next;
    if (!made) {
      const Result opened = current.OpenFolder(components[i], &next);
      if (opened) {
        current = std::move(next);
        continue;
      }
      if (ErrorOf(opened) == FsError::kLink)
        return Result::Failure(opened.code(), Quoted(path) + " is a link, never followed");
      if (ErrorOf(opened) != FsError::kMissing || !create)
        return Because("cannot enter folder " + Quoted(path), opened);
    }
    Result result = MakeFolder(current, components, i, i + 1 == count ? lastMode : std::nullopt);
    if (!result) return result;
    if (Result opened = current.OpenFolder(components[i], &next); !opened)
      return Because("cannot enter folder " + Quoted(path), opened);
    made = true;
    current = std::move(next);
  }
  *folder = std::move(current);
  return {};
}

Result ConfinedFolder::CreateFolders(const std::vector<std::string>& components,
                                     std::optional<uint32_t> mode) {
  if (Result plain = CheckNames(components); !plain) return plain;
  if (journal_)
    if (Result open = journal_->Changeable(); !open) return open;
  FolderHandle folder;
  return Walk(components, components.size(), true, mode, &folder);
}

std::unique_ptr<PendingFile> ConfinedFolder::CreateFile(const std::vector<std::string>& components,
                                                        Result* result) {
  if (components.empty()) {
    *result = Refused(FsError::kOther, "empty file name");
    return nullptr;
  }
  *result = CheckNames(components);
  if (!*result) return nullptr;
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
    FolderHandle opened;
    *result = Walk(components, depth, true, std::nullopt, &opened);
    if (!*result) return nullptr;
    // Kept for the next file only once the journal knows the folder's times.
    if (journal_) {
      *result = journal_->BeforeFolderChange(root_, folder, opened);
      if (!*result) return nullptr;
    }
    SweepStaleTemporaries(opened);
    // Open handles are few; a package with more folders than this opens
    // some of them again (and sweeps them again, which is harmless).
    if (folders_.size() >= kMaxOpenFolders) folders_.clear();
    cached = folders_.emplace(folder, std::move(opened)).first;
  }
  const FolderHandle& dir = cached->second;
  const std::string& target = components.back();

  EntryInfo existing;
  const Result looked = dir.Look(target, &existing);
  const bool exists = looked.ok();
  if (!exists && ErrorOf(looked) != FsError::kMissing) {
    *result = Because("cannot look at " + Quoted(path), looked);
    return nullptr;
  }
  if (exists && existing.kind == EntryKind::kFolder) {
    *result = Refused(FsError::kFolder, Quoted(path) + " is a folder");
    return nullptr;
  }
  Result created;
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp = TemporaryName(target);
    FileHandle file;
    created = dir.CreateNew(temp, &file);
    if (created) {
      std::unique_ptr<PendingFile> pending(
          new PendingFile(dir, std::move(file), std::move(temp), target, path));
      pending->targetExists_ = exists;
      if (exists && existing.kind == EntryKind::kFile) pending->targetMode_ = existing.mode;
      pending->umask_ = umask_;
      pending->journal_ = journal_;
      pending->root_ = root_;
      *result = Result();
      return pending;
    }
    if (ErrorOf(created) != FsError::kExists) break;
  }
  *result = Because("cannot create " + Quoted(path), created);
  return nullptr;
}

bool ConfinedFolder::Exists(const std::vector<std::string>& components) {
  if (components.empty()) return true;
  if (!CheckNames(components)) return false;
  FolderHandle folder;
  if (!Walk(components, components.size() - 1, false, std::nullopt, &folder)) return false;
  EntryInfo info;
  return folder.Look(components.back(), &info).ok();
}

}  // namespace platform
