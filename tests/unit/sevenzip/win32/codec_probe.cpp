// Constructs the component where no 7za.dll is beside the program and
// writes what it said to the file named by its argument.
#include <filesystem>
#include <fstream>
#include <string>

#include "sevenzip/SevenZip.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 2;
  std::string said;
  try {
    TSevenZip z;
    said = "(constructed)";
  } catch (const sevenzip::ECodecLibraryError& e) {
    said = e.what();
  }
  std::ofstream(std::filesystem::path(argv[1]), std::ios::binary) << said;
  return 0;
}
