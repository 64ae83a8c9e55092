#include "platform/JournalReplay.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "platform/FolderWalk.h"
#include "platform/Temporaries.h"

namespace platform {

namespace {

bool Unreachable(int error) {
  return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

// Opens the roots and the folders below them as they are needed, each once:
// a journal names the same few folders for thousands of files.
class Roots {
 public:
  explicit Roots(const std::vector<std::string>& paths) : paths_(paths), fds_(paths.size()) {}

  // The folder of `path` (with `path` itself when `parent` is false), owned
  // here; -1 with errno set when it cannot be reached.
  int Folder(size_t root, const std::string& path, bool parent) {
    std::vector<std::string> components = SplitComponents(path);
    if (parent && !components.empty()) components.pop_back();
    const auto key = std::make_pair(root, JoinComponents(components, components.size()));
    auto found = folders_.find(key);
    if (found == folders_.end()) {
      if (!fds_[root])
        fds_[root] = UniqueFd(::open(paths_[root].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      Opened opened;
      if (fds_[root]->valid()) {
        opened.fd = OpenFolderPath(fds_[root]->get(), components);
        opened.error = opened.fd.valid() ? 0 : errno;
      } else {
        opened.error = ENOENT;
      }
      found = folders_.emplace(key, std::move(opened)).first;
    }
    errno = found->second.error;
    return found->second.fd.get();
  }

  // `path` and everything below it are gone.
  void Forget(size_t root, const std::string& path) {
    for (auto it = folders_.begin(); it != folders_.end();) {
      const std::string& folder = it->first.second;
      const bool below = it->first.first == root &&
                         (folder == path || folder.rfind(path + "/", 0) == 0 || path == ".");
      it = below ? folders_.erase(it) : std::next(it);
    }
  }

 private:
  struct Opened {
    UniqueFd fd;
    int error = 0;
  };
  const std::vector<std::string>& paths_;
  std::vector<std::optional<UniqueFd>> fds_;
  std::map<std::pair<size_t, std::string>, Opened> folders_;
};

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Describe(const JournalContents& contents, const JournalRecord& record) {
  return "\"" + record.path + "\" in " + contents.roots[record.root];
}

Result Undo(const JournalContents& contents, const JournalRecord& record, Roots& roots) {
  const int folder = roots.Folder(record.root, record.path, true);
  if (folder < 0) {
    if (Unreachable(errno)) return {};
    return Result::FromErrno("cannot reach " + Describe(contents, record));
  }
  const std::string name = NameOf(record.path);
  switch (record.kind) {
    case JournalRecord::kMoved:
      // No backup: the original was never moved, or is back already.
      if (::renameat(folder, record.backup.c_str(), folder, name.c_str()) != 0 && errno != ENOENT)
        return Result::FromErrno("cannot put back " + Describe(contents, record));
      return {};
    case JournalRecord::kCreated:
      // A folder there is not the file we made.
      if (::unlinkat(folder, name.c_str(), 0) != 0 && errno != ENOENT && errno != EISDIR)
        return Result::FromErrno("cannot remove " + Describe(contents, record));
      return {};
    case JournalRecord::kFolder: {
      struct stat st;
      if (::fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode))
        return {};
      roots.Forget(record.root, record.path);
      if (!RemoveTreeAt(folder, name))
        return Result::FromErrno("cannot remove " + Describe(contents, record));
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
    const int folder = roots.Folder(record->root, record->path, false);
    if (folder >= 0)
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
    const int folder = roots.Folder(record.root, record.path, true);
    const bool gone = folder >= 0
                          ? ::unlinkat(folder, record.backup.c_str(), 0) == 0 || errno == ENOENT
                          : Unreachable(errno);
    if (!gone && first)
      first = Result::FromErrno("cannot delete the original of " + Describe(contents, record));
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
    const int folder = roots.Folder(record->root, record->path, false);
    const timespec times[2] = {{record->accessed.seconds, record->accessed.nanoseconds},
                               {record->modified.seconds, record->modified.nanoseconds}};
    if (folder >= 0) ::futimens(folder, times);
  }
  return first;
}

}  // namespace platform
