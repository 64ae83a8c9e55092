// Packs a folder's whole tree into a new solid LZMA 7z archive with the
// archive component, names relative to the folder:
// bench_7z_add <folder> <package.7z> <level: 0 3 5 7 9 as save fast normal maximum ultra>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sevenzip/SevenZip.h"

namespace {
bool StrengthOf(int level, TCompressStrength& strength) {
  switch (level) {
    case 0:
      strength = SAVE;
      return true;
    case 3:
      strength = FAST;
      return true;
    case 5:
      strength = NORMAL;
      return true;
    case 7:
      strength = MAXIMUM;
      return true;
    case 9:
      strength = ULTRA;
      return true;
  }
  return false;
}
}  // namespace

int main(int argc, char** argv) {
  TCompressStrength strength;
  if (argc != 4 || !StrengthOf(std::atoi(argv[3]), strength)) {
    std::fprintf(stderr, "usage: %s <folder> <package.7z> <level 0|3|5|7|9>\n", argv[0]);
    return 2;
  }
  long reports = 0;
  TSevenZip z;
  z.OnProgress = [&reports](TSevenZip*, const std::string&, int64_t, int64_t) { ++reports; };
  z.OnMessage = [](TSevenZip*, int32_t code, const std::string& text, const std::string& file) {
    std::fprintf(stderr, "%d %s %s\n", code, text.c_str(), file.c_str());
  };
  std::string folder = argv[1];
  if (folder.back() != '/') folder += '/';
  z.SetAddRootDir(folder);
  z.SetAddOptions(AddRecurseDirs | AddSolid);
  z.SetLZMACompressType(LZMA);
  z.SetLZMACompressStrength(strength);
  z.SetSZFileName(argv[2]);
  z.Files().AddString(folder + "*.*");
  const int32_t result = z.Add();
  if (result != 0) {
    std::fprintf(stderr, "creation failed: %d\n", result);
    return 1;
  }
  return reports > 0 ? 0 : 1;
}
