#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace platform {

// Splits a stored entry name into its components ('\\' counts as '/'; empty
// and "." components drop out). False for a name that is absolute or has a
// ".." component: such a name could land outside the extraction folder.
bool SplitEntryPath(const std::string& name, std::vector<std::string>* components);

// A file being extracted: written under a temporary name in its folder and
// renamed over the target only by Commit, so a failed entry never replaces
// a good file or leaves a half-written one. Discarded when not committed.
class PendingFile {
 public:
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  bool Write(const void* data, size_t size);
  // `mode`: permission bits to apply (set-id and sticky bits are dropped);
  // without one, an existing target's bits are kept, else 0644.
  bool Commit(std::optional<uint32_t> mode, std::optional<timespec> modified);
  const std::string& error() const { return error_; }

 private:
  friend class ConfinedFolder;
  PendingFile(int dirFd, int fd, std::string tempName, std::string targetName);
  int dirFd_;
  int fd_;
  std::string tempName_;
  std::string targetName_;
  bool committed_ = false;
  std::string error_;
};

// The folder that extraction is confined to. Paths below it are walked one
// component at a time without following symbolic links, so no entry can land
// outside it through a link.
class ConfinedFolder {
 public:
  // `base` empty means the current folder.
  static std::unique_ptr<ConfinedFolder> Open(const std::string& base, std::string* error);
  ~ConfinedFolder();
  ConfinedFolder(const ConfinedFolder&) = delete;
  ConfinedFolder& operator=(const ConfinedFolder&) = delete;

  // Creates every component as a folder (existing ones are kept).
  bool CreateFolders(const std::vector<std::string>& components, std::string* error);
  // Creates the parent folders and a pending file for the last component.
  std::unique_ptr<PendingFile> CreateFile(const std::vector<std::string>& components,
                                          std::string* error);

 private:
  explicit ConfinedFolder(int fd) : fd_(fd) {}
  // An open descriptor of the folder reached by `count` components, or -1.
  int OpenFolders(const std::vector<std::string>& components, size_t count, std::string* error);
  int fd_;
  // Folders already cleared of temporary files that killed writers left.
  std::set<std::string> swept_;
};

}  // namespace platform
