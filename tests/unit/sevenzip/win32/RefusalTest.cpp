#include <gtest/gtest.h>

#include <algorithm>

#include "ArchiveFixtures.h"
#include "WinFixtures.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/win32/Wine.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

bool Has(const std::vector<std::string>& messages, const std::string& message) {
  return std::find(messages.begin(), messages.end(), message) != messages.end();
}

// Stored by the 7z command on Linux as ../climb.txt, C:/abs.txt,
// //server/share/unc.txt and D:drive.txt, which the codec reports with
// backslashes here, and ..\slash.txt, whose backslash was no separator where
// it was made: the codec gives it another character, and it stays a name.
TEST(Refusals, StoredNamesThatClimbOrNameARootAreRefused) {
  TempDir dir;
  const bool absExisted = Exists("C:\\abs.txt");
  TSevenZip z;
  std::vector<std::string> messages;
  RecordMessages(z, messages);
  EXPECT_NE(ExtractAll(z, Fixture("refusals.7z"), dir / "out"), 0);
  EXPECT_EQ(ReadFile(dir / "out\\ok.txt"), "ok\n");
  const std::vector<std::string> tree = Tree(dir.path());
  ASSERT_EQ(tree.size(), 3u) << ::testing::PrintToString(tree);
  EXPECT_EQ(tree[0], "out/");
  EXPECT_EQ(tree[1].find('/', 4), std::string::npos);  // one name inside the folder
  EXPECT_EQ(ReadFile(dir / Native(tree[1])), "slash\n");
  EXPECT_EQ(tree[2], "out/ok.txt");
  EXPECT_EQ(Exists("C:\\abs.txt"), absExisted);
  const std::string out = dir / "out\\";
  for (const char* name :
       {"..\\climb.txt", "C:\\abs.txt", "\\\\server\\share\\unc.txt", "D:drive.txt"})
    EXPECT_TRUE(Has(messages, "11 Could not create file " + out + name)) << name;
  EXPECT_EQ(messages.size(), 4u) << ::testing::PrintToString(messages);
}

TEST(Refusals, AClimbingNameIsRefusedWhereverAHandlerSendsIt) {
  TempDir dir;
  WriteFile(dir / "src\\x.txt", "x");
  TSevenZip z;
  z.OnSetAddName = [](TSevenZip*, uint32_t, std::string& name) { name = "..\\" + name; };
  z.SetSZFileName(dir / "climb.7z");
  z.Files().AddString(dir / "src\\x.txt");
  z.SetAddRootDir(dir / "src");
  ASSERT_EQ(z.Add(), 0);

  TSevenZip reader;
  reader.SetSZFileName(dir / "climb.7z");
  ASSERT_EQ(reader.List(), 1);
  EXPECT_EQ(reader.Files().WStrings, std::vector<std::string>{"..\\x.txt"});
  reader.OnSetExtractName = [&](TSevenZip*, uint32_t, std::string& name) {
    name = dir / "elsewhere\\deep\\..\\x.txt";
  };
  EXPECT_NE(ExtractAll(reader, dir / "climb.7z", dir / "out\\deep"), 0);
  EXPECT_FALSE(Exists(dir / "out"));
  EXPECT_FALSE(Exists(dir / "elsewhere"));
}

// Wine shows a Unix link as a reparse point; the fixture made one in the
// folder extracted into. (Windows' own junctions cannot be made under Wine 8;
// ConfinedFolder's suite refuses them where they can.)
TEST(Refusals, ALinkOnTheWayIsNotFollowed) {
  const std::string base = Fixture("links\\base");
  if (!testing_tools::UnderWine() || !Exists(base + "\\linked"))
    GTEST_SKIP() << "the Unix link of the fixture sevenzip_win_fixtures, under Wine only";
  TSevenZip z;
  std::vector<std::string> messages;
  RecordMessages(z, messages);
  EXPECT_NE(ExtractAll(z, Fixture("links\\linked.7z"), base), 0);
  EXPECT_EQ(ReadFile(Fixture("links\\outside\\x.txt")), "outside\n");
  EXPECT_TRUE(Has(messages, "11 Could not create file " + base + "\\linked\\x.txt"));
}

}  // namespace
