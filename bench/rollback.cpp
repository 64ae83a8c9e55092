// Unpacks a 7z package over an installation through the update journal, as
// the update run does, then rolls it back, and reports how long the rollback
// took and how many bytes this process wrote while it ran:
// bench_rollback <package.7z> <installation folder>
// Output: "<seconds> <bytes written>".
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/UpdateJournal.h"
#include "sevenzip/SevenZip.h"

namespace {

// Bytes this process has caused to be sent to storage, from /proc.
long long WrittenBytes() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value)
    if (key == "write_bytes:") return value;
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <package.7z> <installation folder>\n", argv[0]);
    return 2;
  }
  std::string folder = argv[2];
  if (!folder.ends_with('/')) folder += '/';
  platform::Result result;
  auto journal = platform::UpdateJournal::Begin(folder, &result);
  if (!journal) {
    std::fprintf(stderr, "no journal: %s\n", result.text().c_str());
    return 1;
  }
  TSevenZip z;
  z.SetSZFileName(argv[1]);
  z.SetExtrBaseDir(folder);
  z.SetExtractOptions(ExtractOverwrite);
  z.SetExtractJournal(journal.get());
  if (z.Extract(false) != 0) {
    std::fprintf(stderr, "extraction failed\n");
    return 1;
  }
  const long long writtenBefore = WrittenBytes();
  const auto start = std::chrono::steady_clock::now();
  result = journal->Rollback();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!result) {
    std::fprintf(stderr, "rollback failed: %s\n", result.text().c_str());
    return 1;
  }
  std::printf("%.3f %lld\n", seconds, WrittenBytes() - writtenBefore);
  return 0;
}
