#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "ArchiveFixtures.h"
#include "WinFixtures.h"
#include "platform/UpdateJournal.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/Utf8Path.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;
using testing_tools::U8Path;

class Extraction : public ::testing::Test {
 protected:
  void SetUp() override { RecordMessages(z, messages); }
  // Packs `names` (below dir\src) into dir\<archive> with our own Add.
  void Pack(const std::string& archive, const std::vector<std::string>& names) {
    TSevenZip packer;
    packer.SetSZFileName(dir / archive);
    packer.SetAddRootDir(dir / "src");
    packer.SetAddOptions(AddRecurseDirs);
    for (const std::string& name : names) {
      const std::string path = dir / ("src\\" + name);
      packer.Files().AddString(IsFolder(path) ? path + "\\*.*" : path);
    }
    ASSERT_EQ(packer.Add(), 0);
  }
  void Use(const std::string& archive, const std::string& base) {
    z.SetSZFileName(dir / archive);
    z.SetExtrBaseDir(base);
  }
  static bool IsFolder(const std::string& path) {
    return std::filesystem::is_directory(U8Path(path));
  }

  TempDir dir;
  TSevenZip z;
  std::vector<std::string> messages;
};

TEST_F(Extraction, ThroughAJournalEveryChangeIsUndoneByRollback) {
  WriteFile(dir / "src\\top.txt", "new top");
  WriteFile(dir / "src\\bin\\tool.exe", "new tool");
  WriteFile(dir / "src\\lib\\deep\\data.bin", Noise(100000, 9));
  Pack("patch.7z", {"top.txt", "bin", "lib"});

  WriteFile(dir / "app\\top.txt", "old top");
  WriteFile(dir / "app\\bin\\tool.exe", "old tool");
  WriteFile(dir / "app\\keep.cfg", "mine");
  SetMTime(dir / "app\\top.txt", kOldTime);
  const auto before = Contents(dir / "app");

  platform::Result result;
  auto journal = platform::UpdateJournal::Begin(dir / "app", &result);
  ASSERT_TRUE(journal) << result.text();
  z.SetExtractJournal(journal.get());
  Use("patch.7z", dir / "app\\");
  z.SetExtractOptions(ExtractOverwrite);
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(ReadFile(dir / "app\\top.txt"), "new top");
  EXPECT_EQ(ReadFile(dir / "app\\bin\\tool.exe"), "new tool");
  EXPECT_TRUE(ReadFile(dir / "app\\lib\\deep\\data.bin") == Noise(100000, 9)) << "content differs";

  ASSERT_TRUE(journal->Rollback());
  journal.reset();
  EXPECT_EQ(Contents(dir / "app"), before);
  EXPECT_EQ(MTimeSeconds(dir / "app\\top.txt"), kOldTime);
}

TEST_F(Extraction, AnEmptyBaseFolderMeansTheCurrentFolder) {
  WriteFile(dir / "src\\sub\\a.txt", "a");
  Pack("x.7z", {"sub"});
  std::filesystem::create_directories(U8Path(dir / "cwd"));
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(U8Path(dir / "cwd"));
  Use("x.7z", "");
  const int32_t result = z.Extract(false);
  std::filesystem::current_path(before);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(dir / "cwd\\sub\\a.txt"), "a");
}

TEST_F(Extraction, NoPathPutsEveryFileIntoTheBaseFolder) {
  WriteFile(dir / "src\\one\\same.txt", "first");
  WriteFile(dir / "src\\two\\same.txt", "second");
  WriteFile(dir / "src\\two\\other.txt", "other");
  Pack("x.7z", {"one", "two"});
  Use("x.7z", dir / "out");
  z.SetExtractOptions(ExtractNoPath | ExtractOverwrite);
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_EQ(Tree(dir / "out"), (std::vector<std::string>{"one/", "other.txt", "same.txt", "two/"}));
  EXPECT_EQ(ReadFile(dir / "out\\same.txt"), "second");
}

TEST_F(Extraction, AHandlerCanSendAnItemElsewhere) {
  WriteFile(dir / "src\\a.txt", "a");
  WriteFile(dir / "src\\b.txt", "b");
  Pack("x.7z", {"a.txt", "b.txt"});
  Use("x.7z", dir / "out");
  z.OnSetExtractName = [&](TSevenZip*, uint32_t, std::string& name) {
    if (name.ends_with("b.txt")) name = dir / "elsewhere\\deeper\\b.txt";
  };
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_EQ(Tree(dir / "out"), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(ReadFile(dir / "elsewhere\\deeper\\b.txt"), "b");
}

TEST_F(Extraction, SelectionByIndexAndByPathInAnyLetterCase) {
  WriteFile(dir / "src\\a.txt", "a");
  WriteFile(dir / "src\\Sub\\B.txt", "b");
  WriteFile(dir / "src\\c.txt", "c");
  Pack("x.7z", {"a.txt", "Sub", "c.txt"});
  Use("x.7z", dir / "out");
  ASSERT_EQ(z.List(), 4);
  const int32_t c = z.GetIndexByFilename("C.TXT");
  ASSERT_GE(c, 0);
  struct Case {
    std::vector<std::string> selection;
    int32_t result;
    std::vector<std::string> written;
  } cases[] = {
      {{std::to_string(c)}, 0, {"c.txt"}},
      {{"sub\\b.TXT"}, 0, {"Sub/", "Sub/B.txt"}},
      {{"c.txt", "A.TXT"}, 0, {"a.txt", "c.txt"}},
      {{"4"}, -1, {}},  // the item count itself is out of range
      {{"-1"}, -1, {}},
      {{"a.txt", "no\\such\\item"}, -1, {}},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.selection.back());
    std::filesystem::remove_all(U8Path(dir / "out"));
    messages.clear();
    z.Files().Clear();
    for (const std::string& s : each.selection) z.Files().AddString(s);
    EXPECT_EQ(z.Extract(false), each.result);
    if (each.result == 0) {
      EXPECT_EQ(Tree(dir / "out"), each.written);
      EXPECT_TRUE(messages.empty());
    } else {
      EXPECT_FALSE(Exists(dir / "out"));
      EXPECT_EQ(messages, std::vector<std::string>{"5 Index out of Range "});
    }
  }
}

TEST_F(Extraction, AnExceptionFromAHandlerReachesTheCallerAfterThePass) {
  WriteFile(dir / "src\\a.txt", "a");
  WriteFile(dir / "src\\b.txt", "b");
  Pack("x.7z", {"a.txt", "b.txt"});
  Use("x.7z", dir / "out");
  z.OnSetExtractName = [](TSevenZip*, uint32_t, std::string&) {
    throw std::runtime_error("from the handler");
  };
  EXPECT_THROW(z.Extract(false), std::runtime_error);
  EXPECT_FALSE(Exists(dir / "out\\a.txt"));
  z.OnSetExtractName = nullptr;
  EXPECT_EQ(z.Extract(false), 0);  // the archive was closed, nothing is left over
  EXPECT_EQ(Tree(dir / "out"), (std::vector<std::string>{"a.txt", "b.txt"}));
}

}  // namespace
