#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "ArchiveFixtures.h"
#include "ExtractionFixture.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/Utf8Path.h"

namespace sevenzip_test {
namespace {

using testing_tools::U8Path;

TEST_F(Extraction, AnEmptyBaseFolderMeansTheCurrentFolder) {
  WriteFile(dir / Native("src/sub/a.txt"), "a");
  Pack("x.7z", {"sub"});
  std::filesystem::create_directories(U8Path(dir / "cwd"));
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(U8Path(dir / "cwd"));
  Use("x.7z", "");
  const int32_t result = z.Extract(false);
  std::filesystem::current_path(before);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(dir / Native("cwd/sub/a.txt")), "a");
}

TEST_F(Extraction, NoPathPutsEveryFileIntoTheBaseFolder) {
  WriteFile(dir / Native("src/one/same.txt"), "first");
  WriteFile(dir / Native("src/two/same.txt"), "second");
  WriteFile(dir / Native("src/two/other.txt"), "other");
  Pack("x.7z", {"one", "two"});
  Use("x.7z", dir / "out");
  z.SetExtractOptions(ExtractNoPath | ExtractOverwrite);
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_EQ(Tree(dir / "out"), (std::vector<std::string>{"one/", "other.txt", "same.txt", "two/"}));
  EXPECT_EQ(ReadFile(dir / Native("out/same.txt")), "second");
}

TEST_F(Extraction, AHandlerCanSendAnItemElsewhere) {
  WriteFile(dir / Native("src/a.txt"), "a");
  WriteFile(dir / Native("src/b.txt"), "b");
  Pack("x.7z", {"a.txt", "b.txt"});
  Use("x.7z", dir / "out");
  z.OnSetExtractName = [&](TSevenZip*, uint32_t, std::string& name) {
    if (name.ends_with("b.txt")) name = dir / Native("elsewhere/deeper/b.txt");
  };
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_EQ(Tree(dir / "out"), (std::vector<std::string>{"a.txt"}));
  EXPECT_EQ(ReadFile(dir / Native("elsewhere/deeper/b.txt")), "b");
}

TEST_F(Extraction, SelectionByIndexAndByPathInAnyLetterCase) {
  WriteFile(dir / Native("src/a.txt"), "a");
  WriteFile(dir / Native("src/Sub/B.txt"), "b");
  WriteFile(dir / Native("src/c.txt"), "c");
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
      {{Native("sub/b.TXT")}, 0, {"Sub/", "Sub/B.txt"}},
      {{"c.txt", "A.TXT"}, 0, {"a.txt", "c.txt"}},
      {{"4"}, -1, {}},  // the item count itself is out of range
      {{"-1"}, -1, {}},
      {{"a.txt", Native("no/such/item")}, -1, {}},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.selection.back());
    std::filesystem::remove_all(U8Path(dir / "out"));
    messages.clear();
    z.Files().Clear();
    for (const std::string& s : each.selection) z.Files().AddString(s);
    int64_t announced = -1;
    z.OnPreProgress = [&](TSevenZip*, int64_t total) { announced = total; };
    EXPECT_EQ(z.Extract(false), each.result);
    if (each.result == 0) {
      EXPECT_EQ(Tree(dir / "out"), each.written);
      EXPECT_EQ(announced, static_cast<int64_t>(each.selection.size()));  // one byte each
      EXPECT_TRUE(messages.empty());
    } else {
      EXPECT_FALSE(Exists(dir / "out"));
      EXPECT_EQ(z.ErrCode(), kErrIndexOutOfRange);
      EXPECT_EQ(messages, (std::vector<std::string>{"5 Index out of Range "}));
    }
  }
}

TEST_F(Extraction, AnExceptionFromAHandlerReachesTheCallerAfterThePass) {
  WriteFile(dir / Native("src/a.txt"), "a");
  WriteFile(dir / Native("src/b.txt"), "b");
  Pack("x.7z", {"a.txt", "b.txt"});
  Use("x.7z", dir / "out");
  z.OnSetExtractName = [](TSevenZip*, uint32_t, std::string&) {
    throw std::runtime_error("from the handler");
  };
  EXPECT_THROW(z.Extract(false), std::runtime_error);
  EXPECT_FALSE(Exists(dir / Native("out/a.txt")));
  z.OnSetExtractName = nullptr;
  EXPECT_EQ(z.Extract(false), 0);  // the archive was closed, nothing is left over
  EXPECT_EQ(Tree(dir / "out"), (std::vector<std::string>{"a.txt", "b.txt"}));
}

}  // namespace
}  // namespace sevenzip_test
