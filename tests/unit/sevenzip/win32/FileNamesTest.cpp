#include <gtest/gtest.h>

#include "ArchiveFixtures.h"
#include "WinFixtures.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/WideStringList.h"
#include "tests/tools/TempDir.h"
// After the component's headers.
#include <windows.h>

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

TEST(FileNames, PathPartsFollowTheBackslashAndDriveRules) {
  struct Case {
    std::string path, dir, name, ext;
  } cases[] = {
      {"C:\\a\\b.c\\file.txt", "C:\\a\\b.c\\", "file.txt", ".txt"},
      {"C:\\a\\b.c\\file", "C:\\a\\b.c\\", "file", ""},  // the only dot is in a folder
      {"x.7z.001", "", "x.7z.001", ".001"},
      {"C:file.txt", "C:", "file.txt", ".txt"},  // a drive ends at its colon
      {"\\\\server\\share\\f.7z", "\\\\server\\share\\", "f.7z", ".7z"},
      {"C:\\", "C:\\", "", ""},
      {"a/b.txt", "", "a/b.txt", ".txt"},  // as specified: only \ and : count
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(WideExtractFilePath(c.path), c.dir);
    EXPECT_EQ(WideExtractFileName(c.path), c.name);
    EXPECT_EQ(WideExtractFileExt(c.path), c.ext);
  }
  EXPECT_EQ(WideChangeFileExt("C:\\v\\a.7z.001", ".002"), "C:\\v\\a.7z.002");
  EXPECT_EQ(WideChangeFileExt("C:\\v.d\\a", ".exe"), "C:\\v.d\\a.exe");
  EXPECT_EQ(WideChangeFileExt("C:a.7z", ".exe"), "C:a.exe");
  EXPECT_EQ(WideExcludeBackslash("C:\\a\\"), "C:\\a");
  EXPECT_EQ(WideParentDir("C:\\a\\b\\"), "C:\\a\\");
  EXPECT_EQ(AddBackslash("C:\\a"), "C:\\a\\");
  std::string s = "C:\\a\\c.txt";
  WideStripPath(s);
  EXPECT_EQ(s, "c.txt");
  s = "C:c.txt";  // a colon does not count here
  WideStripPath(s);
  EXPECT_EQ(s, "C:c.txt");
}

TEST(FileNames, UpperCaseIsTheSameUnderEveryLocale) {
  const LCID saved = GetThreadLocale();
  SetThreadLocale(MAKELCID(MAKELANGID(LANG_TURKISH, SUBLANG_TURKISH_TURKEY), SORT_DEFAULT));
  EXPECT_EQ(WideUpper("istanbul"), "ISTANBUL");  // no dotted capital I
  SetThreadLocale(saved);
  EXPECT_EQ(WideUpper("äö"), "ÄÖ");
}

TEST(FileNames, ForceDirectoriesGivesTheDeepestFolderItsAttributes) {
  TempDir dir;
  const std::string deep = dir / "a\\b\\c";
  EXPECT_TRUE(WideForceDirectories(deep + "\\", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_TRUE(WideDirectoryExists(dir / "a\\b"));
  EXPECT_NE(Attributes(deep) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(Attributes(dir / "a\\b") & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_TRUE(WideForceDirectories("C:\\", 0));  // a root
  EXPECT_TRUE(WideForceDirectories("C:", 0));
}

TEST(FileNames, FileInfoReportsAttributesOfAnyFile) {
  TempDir dir;
  WriteFile(dir / "f", "12345");
  int64_t size;
  uint64_t mtime;
  uint32_t attr;
  EXPECT_EQ(WideFileInfo(dir / "f", size, mtime, attr), 5);
  EXPECT_EQ(attr & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY), 0u);
  ASSERT_TRUE(SetAttributes(dir / "f", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(WideFileInfo(dir / "f", size, mtime, attr), 5);
  EXPECT_NE(attr & FILE_ATTRIBUTE_READONLY, 0u);
  SetAttributes(dir / "f", FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(WideFileInfo(dir.path(), size, mtime, attr), 0);
  EXPECT_NE(attr & FILE_ATTRIBUTE_DIRECTORY, 0u);
  {
    // Held by someone who shares nothing: still found, and still measured.
    const auto held = HoldWithoutSharing(dir / "f");
    ASSERT_TRUE(held);
    EXPECT_TRUE(WideFileExists(dir / "f"));
    EXPECT_EQ(FileSizeByName(dir / "f"), 0u);  // it cannot be opened to be read
  }
  EXPECT_EQ(FileSizeByName(dir / "f"), 5u);
}

TEST(FileNames, FileTimeBecomesALocalDateTime) {
  // Now, the system's own conversion with today's rules is the same.
  const uint64_t now = FileTimeNow();
  FILETIME utc{static_cast<DWORD>(now), static_cast<DWORD>(now >> 32)}, local;
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  const int64_t offset =
      (static_cast<int64_t>(uint64_t{local.dwHighDateTime} << 32 | local.dwLowDateTime) -
       static_cast<int64_t>(now)) /
      10'000'000;
  EXPECT_NEAR(FileTimeToDateTime(now, 1) - FileTimeToDateTime(now, 0), offset / 86400.0, 1e-6);
}

}  // namespace
