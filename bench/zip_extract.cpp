// Extracts a zip package into a folder the way the update run does, progress
// reports included: bench_zip_extract <package.zip> <folder>
#include <cstdio>

#include "updater/ZipReader.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <package.zip> <folder>\n", argv[0]);
    return 2;
  }
  long reports = 0;
  TZipReader reader;
  reader.OnProgress = [&reports](TZipReader*, const std::string&, const TZipEntryHeader&, int64_t) {
    ++reports;
  };
  try {
    reader.Open(argv[1]);
    reader.ExtractAll(argv[2]);
  } catch (const EZipError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return reports > 0 ? 0 : 1;
}
