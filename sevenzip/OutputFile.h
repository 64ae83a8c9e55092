#pragma once

#include <string>

#include "platform/PathFile.h"
#include "platform/Result.h"

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

  // Each gives the file open for reading and writing, or the reason it is not.
  // `name` itself, created or emptied.
  platform::Result CreateInPlace(const std::string& name);
  // `name` itself as it is (a module to append to).
  platform::Result OpenInPlace(const std::string& name);
  // A new, empty file beside `name`.
  platform::Result CreateBeside(const std::string& name);
  // A copy of `source` by the platform's copy call, content and permission
  // bits, beside `name`.
  platform::Result CopyBeside(const std::string& source, const std::string& name);

  platform::PathFile& File() { return FFile; }
  const platform::PathFile& File() const { return FFile; }
  const std::string& Name() const { return FName; }
  // A failure, for a file just written, can be the first sign that its data
  // is lost.
  platform::Result Close();
  // Closes the file and gives it its name: over a file of that name when
  // `replace`, otherwise only when there is none.
  platform::Result Commit(bool replace);

 private:
  void Discard() noexcept;

  std::string FName;
  std::string FTemporary;  // empty in place
  platform::PathFile FFile;
};
