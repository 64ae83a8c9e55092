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
