#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/tools/TempDir.h"
#include "util/QVUtils.h"

namespace {

TEST(FileSizeOf, Cases) {
  testing_tools::TempDir dir;
  std::ofstream(dir / "five") << "12345";
  std::filesystem::create_directory(dir / "folder");
  EXPECT_EQ(FileSizeOf(dir / "five"), 5);
  EXPECT_EQ(FileSizeOf(dir / "missing"), 0);
  EXPECT_EQ(FileSizeOf(dir / "folder"), 0);
  EXPECT_EQ(FileSizeOf(""), 0);
}

TEST(FileSizeOf, FullSixtyFourBitSizeOfASparseFile) {
  testing_tools::TempDir dir;
  const int64_t size = 5'000'000'000LL + 7;
  std::ofstream(dir / "big").close();
  std::filesystem::resize_file(dir / "big", size);
  EXPECT_EQ(FileSizeOf(dir / "big"), size);
}

TEST(FileSizeOf, FileThatAnotherHandleIsWriting) {
  testing_tools::TempDir dir;
  std::ofstream writer(dir / "growing");
  writer << std::string(1000, 'x') << std::flush;
  EXPECT_EQ(FileSizeOf(dir / "growing"), 1000);
}

}  // namespace
