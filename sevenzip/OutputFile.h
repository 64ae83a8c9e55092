#pragma once

#include <string>

#include "platform/FileDescriptor.h"

// One file the component writes: in place, or beside its final name under a
// temporary name of the platform's one scheme and renamed over it by Commit
// once complete, so that a file of that name survives a write that fails or
// is cancelled. A temporary that is never committed is removed.
class TOutputFile {
 public:
  TOutputFile() = default;
  ~TOutputFile();
  TOutputFile(TOutputFile&& other) noexcept;
  TOutputFile& operator=(TOutputFile&& other) noexcept;
  TOutputFile(const TOutputFile&) = delete;
  TOutputFile& operator=(const TOutputFile&) = delete;

  // A writer killed before its commit leaves its temporaries behind: removes
  // those of processes that are gone from the folder of `name`. An operation
  // calls it once, before it makes its first file beside `name`.
  static void SweepBeside(const std::string& name);

  // Each gives the file open for reading and writing, or false with errno
  // saying why.
  // `name` itself, created or emptied.
  bool CreateInPlace(const std::string& name);
  // `name` itself as it is (a module to append to).
  bool OpenInPlace(const std::string& name);
  // A new, empty file beside `name`, 0666 under the umask.
  bool CreateBeside(const std::string& name);
  // A copy of `source`, content and permission bits, beside `name`.
  bool CopyBeside(const std::string& source, const std::string& name);

  int Handle() const { return FHandle.get(); }
  const std::string& Name() const { return FName; }
  // False, errno set, when the file did not close cleanly.
  bool Close();
  // Closes the file and gives it its name: over a file of that name when
  // `replace`, otherwise only when there is none (EEXIST).
  bool Commit(bool replace);

 private:
  void Discard() noexcept;

  std::string FName;
  std::string FTemporary;  // empty in place
  platform::UniqueFd FHandle;
};
