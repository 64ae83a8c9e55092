// Extracts a 7z package into a folder with the archive component, overwriting
// and with progress reports, as the update run does:
// bench_7z_extract <package.7z> <folder>
#include <cstdio>
#include <string>

#include "sevenzip/SevenZip.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <package.7z> <folder>\n", argv[0]);
    return 2;
  }
  long reports = 0;
  TSevenZip z;
  z.OnProgress = [&reports](TSevenZip*, const std::string&, int64_t, int64_t) { ++reports; };
  z.OnMessage = [](TSevenZip*, int32_t code, const std::string& text, const std::string& file) {
    std::fprintf(stderr, "%d %s %s\n", code, text.c_str(), file.c_str());
  };
  z.SetSZFileName(argv[1]);
  z.SetExtrBaseDir(argv[2]);
  z.SetExtractOptions(ExtractOverwrite);
  const int32_t result = z.Extract(false);
  if (result != 0) {
    std::fprintf(stderr, "extraction failed: %d\n", result);
    return 1;
  }
  return reports > 0 ? 0 : 1;
}
