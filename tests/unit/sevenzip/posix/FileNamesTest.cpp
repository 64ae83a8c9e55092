#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>

#include "ArchiveFixtures.h"
#include "PosixFixtures.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/WideStringList.h"
#include "tests/tools/TempDir.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

TEST(FileNames, PathPartsUseThePlatformSeparator) {
  struct Case {
    std::string path, dir, name, ext;
  } cases[] = {
      {"/a/b.c/file.txt", "/a/b.c/", "file.txt", ".txt"},
      {"/a/b.c/file", "/a/b.c/", "file", ""},  // the only dot is in a folder
      {"x.7z.001", "", "x.7z.001", ".001"},
      {"C:/dir/f", "C:/dir/", "f", ""},  // a colon is an ordinary character
      {"/", "/", "", ""},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(WideExtractFilePath(c.path), c.dir);
    EXPECT_EQ(WideExtractFileName(c.path), c.name);
    EXPECT_EQ(WideExtractFileExt(c.path), c.ext);
  }
  EXPECT_EQ(WideChangeFileExt("/v/a.7z.001", ".002"), "/v/a.7z.002");
  EXPECT_EQ(WideChangeFileExt("/v/a", ".exe"), "/v/a.exe");
  EXPECT_EQ(WideChangeFileExt("/v.d/a", ".exe"), "/v.d/a.exe");
  EXPECT_EQ(WideChangeFileExt("/v/a.7z", ""), "/v/a");
  EXPECT_EQ(WideExcludeBackslash("/a/b/"), "/a/b");
  EXPECT_EQ(WideExcludeBackslash(""), "");
  EXPECT_EQ(WideParentDir("/a/b/"), "/a/");
  EXPECT_EQ(WideParentDir("b"), "");
  EXPECT_EQ(AddBackslash("/a"), "/a/");
  EXPECT_EQ(AddBackslash("/a/"), "/a/");
  EXPECT_EQ(AddBackslash(""), "");
  std::string s = "/a/b/c.txt";
  WideStripPath(s);
  EXPECT_EQ(s, "c.txt");
  EXPECT_EQ(WideLastDelimiter("./", "/a.b/c"), 5u);
  EXPECT_EQ(WideLastDelimiter("./", "abc"), 0u);
}

TEST(FileNames, UpperCaseIsFullAndLocaleIndependent) {
  EXPECT_EQ(WideUpper("straße"), "STRASSE");
  EXPECT_EQ(WideUpper("istanbul"), "ISTANBUL");  // no Turkish dotted I
}

TEST(FileNames, ForceDirectoriesGivesOnlyTheDeepestFolderItsBits) {
  TempDir dir;
  const std::string deep = dir / "a/b/c";
  const uint32_t attr = 0x10 | 0x8000 | (040750u << 16);
  EXPECT_TRUE(WideForceDirectories(deep + "/", attr));
  EXPECT_TRUE(WideDirectoryExists(dir / "a/b"));
  EXPECT_EQ(Mode(deep), 0750u);
  EXPECT_NE(Mode(dir / "a/b"), 0750u);
}

TEST(FileNames, FileInfoReportsUnixBits) {
  TempDir dir;
  WriteFile(dir / "f", "12345");
  chmod((dir / "f").c_str(), 0640);
  int64_t size;
  uint64_t mtime;
  uint32_t attr;
  EXPECT_EQ(WideFileInfo(dir / "f", size, mtime, attr), 5);
  EXPECT_EQ(attr & 0xFFFF, 0x20u | 0x8000u);
  EXPECT_EQ(attr >> 16, 0100640u);
}

TEST(FileNames, FileTimeBecomesALocalDateTime) {
  const uint64_t ft = ToFileTimeTicks({1'000'000'000, 0});
  const time_t t = 1'000'000'000;
  struct tm local {};
  localtime_r(&t, &local);
  EXPECT_NEAR(FileTimeToDateTime(ft, 1) - FileTimeToDateTime(ft, 0), local.tm_gmtoff / 86400.0,
              1e-9);
}

TEST(WideStringList, RemovalComparesFullUpperCase) {
  TWideStringList_ list;
  list.AddString("Straße");
  list.RemoveString("STRASSE");
  EXPECT_EQ(list.Count, 0u);
}

}  // namespace
