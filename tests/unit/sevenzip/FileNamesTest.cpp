#include "sevenzip/FileNames.h"

#include <gtest/gtest.h>

#include "ArchiveFixtures.h"
#include "sevenzip/WideStringList.h"
#include "tests/tools/TempDir.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

TEST(FileNames, TryParseIntTakesOnlyAWholeNumber) {
  int32_t n = -7;
  EXPECT_TRUE(TryParseInt("001", n));
  EXPECT_EQ(n, 1);
  EXPECT_TRUE(TryParseInt("-3", n));
  EXPECT_EQ(n, -3);
  for (const char* bad : {"", "7z", "1a", " 1", "2147483648"}) {
    n = 42;
    EXPECT_FALSE(TryParseInt(bad, n)) << bad;
    EXPECT_EQ(n, 42);
  }
}

TEST(FileNames, PermissionsNeverCarrySpecialBits) {
  EXPECT_EQ(PermissionsFromAttributes(0x8000u | (0106755u << 16), 0666), 0755u);
  EXPECT_EQ(PermissionsFromAttributes(0x20, 0666), 0666u);
  EXPECT_EQ(PermissionsFromAttributes(0x21, 0666), 0444u);                        // read-only
  EXPECT_EQ(PermissionsFromAttributes(0x8000u | (0120777u << 16), 0644), 0644u);  // a link
}

TEST(FileNames, SameStrCountsLetterCaseAndUpperLeavesCaselessScripts) {
  EXPECT_TRUE(WideSameStr("Ab", "Ab"));
  EXPECT_FALSE(WideSameStr("Ab", "AB"));
  EXPECT_EQ(WideUpper("한글 abc"), "한글 ABC");
}

TEST(FileNames, ForceDirectoriesKeepsWhatIsThereAndStopsAtAFile) {
  TempDir dir;
  const std::string deep = dir / Native("a/b/c");
  EXPECT_TRUE(WideForceDirectories(deep, 0));
  EXPECT_TRUE(WideDirectoryExists(deep));
  EXPECT_TRUE(WideForceDirectories(deep, 0));  // already there
  // A folder whose name is taken by a file cannot be made.
  WriteFile(dir / "file", "x");
  EXPECT_FALSE(WideForceDirectories(dir / Native("file/sub"), 0));
  EXPECT_FALSE(WideDirectoryExists(dir / "file"));
  EXPECT_TRUE(WideFileExists(dir / "a"));  // a folder counts
  EXPECT_FALSE(WideFileExists(dir / "missing"));
}

TEST(FileNames, FileInfoGivesSizeAndTimeOrSaysNothingIsThere) {
  TempDir dir;
  WriteFile(dir / "f", "12345");
  SetMTime(dir / "f", 1'000'000'000);
  int64_t size;
  uint64_t mtime;
  uint32_t attr;
  EXPECT_EQ(WideFileInfo(dir / "f", size, mtime, attr), 5);
  EXPECT_EQ(size, 5);
  EXPECT_EQ(mtime, ToFileTimeTicks({1'000'000'000, 0}));
  EXPECT_EQ(WideFileInfo(dir / "none", size, mtime, attr), -1);
  EXPECT_EQ(size, -1);
  EXPECT_EQ(mtime, 0u);
  EXPECT_EQ(attr, 0xFFFFFFFFu);
  EXPECT_EQ(FileSizeByName(dir / "f"), 5u);
  EXPECT_EQ(FileSizeByName(dir / "none"), 0u);
}

TEST(FileNames, FileTimeCountsFrom1601AndTheDateTimeFrom1899) {
  // 2001-09-09 01:46:40 UTC in days since 1899-12-30.
  const uint64_t ft = ToFileTimeTicks({1'000'000'000, 0});
  EXPECT_NEAR(FileTimeToDateTime(ft, 0), 37143.0740740741, 1e-9);
  const platform::FileTime before1970 = FromFileTimeTicks(ToFileTimeTicks({-86400, 500}));
  EXPECT_EQ(before1970.seconds, -86400);
  EXPECT_EQ(before1970.nanoseconds, 500);
}

TEST(FileNames, SortIndicesKeepsDuplicates) {
  std::vector<uint32_t> a = {5, 1, 3, 1, 0};
  SortIndices(a);
  EXPECT_EQ(a, (std::vector<uint32_t>{0, 1, 1, 3, 5}));
}

TEST(FileNames, TemporaryFolderIsOnAFixedDrive) {
  TempDir dir;
  EXPECT_FALSE(IsNotFixedDrive(dir.path()));
  EXPECT_FALSE(IsNotFixedDrive(dir / "not/yet/there"));
}

TEST(WideStringList, RemoveIgnoresCaseAndMovesTheLastEntry) {
  TWideStringList_ list;
  list.RemoveString("x");  // empty: nothing happens
  EXPECT_EQ(list.Count, 0u);
  list.AddString("alpha");
  list.AddString("Beta");
  list.AddString("gamma");
  list.AddString("gamma");
  EXPECT_EQ(list.Count, 4u);
  list.RemoveString("BETA");
  EXPECT_EQ(list.WStrings, (std::vector<std::string>{"alpha", "gamma", "gamma"}));
  EXPECT_EQ(list.Count, 3u);
  list.RemoveString("nothing");
  EXPECT_EQ(list.Count, 3u);
  list.RemoveString("GAMMA");
  EXPECT_EQ(list.WStrings, (std::vector<std::string>{"alpha", "gamma"}));
  list.Clear();
  EXPECT_EQ(list.Count, 0u);
  EXPECT_TRUE(list.WStrings.empty());
}

}  // namespace
