#include "platform/JournalReplay.h"

#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "platform/FolderWalk.h"
#include "platform/Temporaries.h"

namespace platform {

namespace {

bool Unreachable(const Result& result) {
  const FsError error = ErrorOf(result);
  return error == FsError::kMissing || error == FsError::kNotFolder || error == FsError::kLink;
}

// Opens the roots and the folders below them as they are needed, each once:
// a journal names the same few folders for thousands of files.
class Roots {
 public:
  explicit Roots(const std::vector<std::string>& paths) : paths_(paths), folders_(paths.size()) {}

  // The folder of `path` (with `path` itself when `parent` is false).
  Result Folder(size_t root, const std::string& path, bool parent, FolderHandle* folder) {
    std::vector<std::string> components = SplitComponents(path);
    if (parent && !components.empty()) components.pop_back();
    const auto key = std::make_pair(root, JoinComponents(components, components.size()));
    auto found = opened_.find(key);
    if (found == opened_.end()) {
      Opened opened;
      if (!folders_[root]) FolderHandle::Open(paths_[root], &folders_[root].emplace());
      // Unreachable, like anything in it.
      opened.result = folders_[root]->valid()
                          ? OpenFolderPath(*folders_[root], components, &opened.folder)
                          : Refused(FsError::kMissing, paths_[root] + " is gone");
      found = opened_.emplace(key, std::move(opened)).first;
    }
    *folder = found->second.folder;
    return found->second.result;
  }

  // `path` and everything below it are gone.
  void Forget(size_t root, const std::string& path) {
    for (auto it = opened_.begin(); it != opened_.end();) {
      const std::string& folder = it->first.second;
      const bool below = it->first.first == root &&
                         (folder == path || folder.rfind(path + "/", 0) == 0 || path == ".");
      it = below ? opened_.erase(it) : std::next(it);
    }
  }

 private:
  struct Opened {
    FolderHandle folder;
    Result result;
  };
  const std::vector<std::string>& paths_;
  std::vector<std::optional<FolderHandle>> folders_;
  std::map<std::pair<size_t, std::string>, Opened> opened_;
};

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Describe(const JournalContents& contents, const JournalRecord& record) {
  return "\"" + record.path + "\" in " + contents.roots[record.root];
}

Result Undo(const JournalContents& contents, const JournalRecord& record, Roots& roots) {
  FolderHandle folder;
  if (Result reached = roots.Folder(record.root, record.path, true, &folder); !reached) {
    if (Unreachable(reached)) return {};
    return Because("cannot reach " + Describe(contents, record), reached);
  }
  const std::string name = NameOf(record.path);
  switch (record.kind) {
    case JournalRecord::kMoved: {
      // No backup: the original was never moved, or is back already.
      const Result back = folder.Rename(record.backup, name, true);
      if (!back && ErrorOf(back) != FsError::kMissing)
        return Because("cannot put back " + Describe(contents, record), back);
      return {};
    }
    case JournalRecord::kCreated: {
      // A folder there is not the file we made.
      const Result removed = folder.RemoveFile(name);
      if (!removed && ErrorOf(removed) != FsError::kMissing && ErrorOf(removed) != FsError::kFolder)
        return Because("cannot remove " + Describe(contents, record), removed);
      return {};
    }
    case JournalRecord::kFolder: {
      EntryInfo info;
      if (!folder.Look(name, &info) || info.kind != EntryKind::kFolder) return {};
      roots.Forget(record.root, record.path);
      if (Result removed = RemoveTreeAt(folder, name); !removed)
        return Because("cannot remove " + Describe(contents, record), removed);
      return {};
    }
    default:
      return {};
  }
}

// Every folder the run changed has its times recorded first, or was made by
// the run, so these are all the folders where its temporary files can be.
void RemoveRunTemporaries(const JournalContents& contents, Roots& roots,
                          const std::vector<const JournalRecord*>& folders) {
  std::set<std::pair<size_t, std::string>> swept;
  for (const JournalRecord* record : folders) {
    if (!swept.insert({record->root, record->path}).second) continue;
    FolderHandle folder;
    if (roots.Folder(record->root, record->path, false, &folder))
      RemoveTemporaries(folder, [&](uint32_t owner) { return owner == contents.pid; });
  }
}

Result FinishCommit(const JournalContents& contents, Roots& roots) {
  std::vector<const JournalRecord*> folders;
  for (const JournalRecord& record : contents.changes)
    if (record.kind == JournalRecord::kTimes || record.kind == JournalRecord::kFolder)
      folders.push_back(&record);
  RemoveRunTemporaries(contents, roots, folders);
  Result first;
  for (const JournalRecord& record : contents.changes) {
    if (record.kind != JournalRecord::kMoved) continue;
    FolderHandle folder;
    Result gone = roots.Folder(record.root, record.path, true, &folder);
    if (gone) {
      gone = folder.RemoveFile(record.backup);
      if (ErrorOf(gone) == FsError::kMissing) gone = Result();
    } else if (Unreachable(gone)) {
      gone = Result();
    }
    if (!gone && first)
      first = Because("cannot delete the original of " + Describe(contents, record), gone);
  }
  return first;
}

}  // namespace

Result ReplayJournal(const JournalContents& contents, bool finishCommit) {
  Roots roots(contents.roots);
  if (finishCommit) return FinishCommit(contents, roots);

  Result first;
  std::vector<const JournalRecord*> touched;
  for (auto it = contents.changes.rbegin(); it != contents.changes.rend(); ++it) {
    if (it->kind == JournalRecord::kTimes) {
      touched.push_back(&*it);
      continue;
    }
    Result result = Undo(contents, *it, roots);
    if (!result && first) first = std::move(result);
  }
  // The folders the run made are gone with what was in them.
  RemoveRunTemporaries(contents, roots, touched);
  // Last, as every change above moves them; newest first, so that the
  // oldest record of a folder has the last word. A folder that cannot be
  // dated (another user's) never holds the journal back.
  for (const JournalRecord* record : touched) {
    FolderHandle folder;
    if (roots.Folder(record->root, record->path, false, &folder))
      folder.SetTimes(record->accessed, record->modified);
  }
  return first;
}

}  // namespace platform
