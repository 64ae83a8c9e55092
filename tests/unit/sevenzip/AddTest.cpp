#include <gtest/gtest.h>

#include <stdexcept>

#include "ArchiveFixtures.h"
#include "CreationFixture.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/SevenZip.h"

namespace sevenzip_test {
namespace {

TEST_F(Creation, StarPatternsPickFilesByTheirExactExtension) {
  struct Case {
    std::string name;
    std::string entry;
    AddOpts options;
    std::vector<std::string> stored;
  } cases[] = {
      {"txt", "/*.txt", 0, {"a.txt", "sub/"}},  // folders are items, not scanned
      {"txt-recursive",
       "/*.txt",
       AddRecurseDirs,
       {"a.txt", "sub/", "sub/c.txt", "sub/deeper/", "sub/deeper/d.txt"}},
      {"capitals", "/*.TXT", 0, {"B.TXT", "sub/"}},  // letter case counts
      {"all", "/*.*", 0, {"B.TXT", "a.txt", "notes.md", "sub/"}},
      {"only-names",
       "/*.*",
       AddRecurseDirs | AddStoreOnlyFilename,
       {"B.TXT", "a.txt", "c.txt", "d.txt", "e.bin", "notes.md"}},
  };
  // The root in other letter case: names are relative to it all the same.
  z.SetAddRootDir(WideUpper(dir / Native("src/")));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    z.SetAddOptions(c.options);
    ASSERT_EQ(AddAll(c.name + ".7z", {dir / Native("src" + c.entry)}), 0);
    std::vector<std::string> stored;
    for (const std::string& name : c.stored) stored.push_back(Native(name));
    EXPECT_EQ(Names(c.name + ".7z"), stored);
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(Creation, TheRootFolderNamedItselfMakesNoNamelessItem) {
  z.SetAddRootDir(dir / "src");
  ASSERT_EQ(AddAll("x.7z", {dir / "src", dir / Native("src/"), dir / Native("src/a.txt")}), 0);
  EXPECT_EQ(Names("x.7z"), (std::vector<std::string>{"a.txt"}));
  z.SetExtrBaseDir(dir / "out");
  z.Files().Clear();
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_EQ(Tree(dir / "out"), (std::vector<std::string>{"a.txt"}));
  EXPECT_TRUE(messages.empty());
  // Nothing but the root: nothing to add.
  EXPECT_EQ(AddAll("y.7z", {dir / "src"}), -1);
  EXPECT_EQ(z.ErrCode(), kErrNoFilesToAdd);
  EXPECT_FALSE(Exists(dir / "y.7z"));
}

TEST_F(Creation, NothingToAddIsReported) {
  EXPECT_EQ(AddAll("x.7z", {dir / Native("src/missing.txt"), dir / Native("nothing/*.none")}), -1);
  EXPECT_EQ(z.ErrCode(), kErrNoFilesToAdd);
  EXPECT_EQ(messages, (std::vector<std::string>{"10 No files to add "}));
  EXPECT_FALSE(Exists(dir / "x.7z"));
}

TEST_F(Creation, AnExceptionFromANameHandlerReachesTheCaller) {
  z.OnSetAddName = [](TSevenZip*, uint32_t, std::string&) {
    throw std::runtime_error("from the handler");
  };
  EXPECT_THROW(AddAll("x.7z", {dir / Native("src/a.txt")}), std::runtime_error);
  EXPECT_FALSE(Exists(dir / "x.7z"));  // nothing half-made is left
  z.OnSetAddName = nullptr;
  EXPECT_EQ(AddAll("x.7z", {dir / Native("src/a.txt")}), 0);
}

TEST_F(Creation, CancelFromAProgressHandlerStopsAndLeavesNoArchive) {
  WriteFile(dir / Native("src/payload.bin"), Noise(3'000'000, 10));
  z.SetAddRootDir(dir / "src");
  z.OnProgress = [](TSevenZip* sender, const std::string&, int64_t position, int64_t) {
    if (position > 0) sender->Cancel();
  };
  const int32_t result = AddAll("x.7z", {dir / Native("src/payload.bin")});
  EXPECT_NE(result, 0);
  EXPECT_NE(result, -1);
  EXPECT_EQ(z.ErrCode(), kErrUserCanceled);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0], "6 User canceled operation " + (dir / Native("src/payload.bin")));
  EXPECT_FALSE(Exists(dir / "x.7z"));
  EXPECT_EQ(Tree(dir.path()).size(), Tree(dir / "src").size() + 1);  // src alone, no leftovers
  z.OnProgress = nullptr;
  EXPECT_EQ(AddAll("x.7z", {dir / Native("src/a.txt")}), 0);  // the flag was cleared
}

}  // namespace
}  // namespace sevenzip_test
