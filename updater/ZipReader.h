#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

struct zip;

namespace platform {
class UpdateJournal;
}

// Raised for every failure of the zip reader, its progress callback's included.
class EZipError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What the progress callback is told of the current entry.
struct TZipEntryHeader {
  uint32_t UncompressedSize = 0;
};

class TZipReader;
using TZipProgressEvent = std::function<void(TZipReader* Sender, const std::string& FileName,
                                             const TZipEntryHeader& Header, int64_t Position)>;

// Extracts zip packages: stored and deflated entries, each under its stored
// relative path below a base folder.
class TZipReader {
 public:
  TZipReader();
  ~TZipReader();
  TZipReader(const TZipReader&) = delete;
  TZipReader& operator=(const TZipReader&) = delete;

  TZipProgressEvent OnProgress;

  void Open(const std::string& fileName);
  // Extracts every entry below `baseDir` (empty: the current folder),
  // creating folders and replacing existing files. Entries whose names would
  // leave the base folder make the whole archive fail before anything is
  // written. With a journal, every change is recorded there first.
  void ExtractAll(const std::string& baseDir = {}, platform::UpdateJournal* journal = nullptr);
  void Close();

 private:
  struct ArchiveCloser {
    void operator()(zip* archive) const;
  };
  std::unique_ptr<zip, ArchiveCloser> archive_;
};
