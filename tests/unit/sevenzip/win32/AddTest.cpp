#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <stdexcept>

#include "ArchiveFixtures.h"
#include "WinFixtures.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/TempDir.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

class Creation : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordMessages(z, messages);
    WriteFile(dir / "src\\a.txt", "alpha");
    WriteFile(dir / "src\\B.TXT", "capital");
    WriteFile(dir / "src\\notes.md", "notes");
    WriteFile(dir / "src\\sub\\c.txt", "gamma");
    WriteFile(dir / "src\\sub\\deeper\\d.txt", "delta");
    WriteFile(dir / "src\\sub\\deeper\\e.bin", "epsilon");
  }
  int32_t AddAll(const std::string& archive, const std::vector<std::string>& entries) {
    z.SetSZFileName(dir / archive);
    z.Files().Clear();
    for (const std::string& e : entries) z.Files().AddString(e);
    return z.Add();
  }
  // Stored names and methods as our own List sees them.
  std::map<std::string, std::string> Listed(const std::string& archive) {
    TSevenZip reader;
    std::map<std::string, std::string> listed;
    reader.OnListfile = [&](TSevenZip*, const std::string& name, int64_t, int64_t, int64_t,
                            int64_t attr, int64_t, const std::string& method,
                            double) { listed[name + ((attr & 0x10) ? "\\" : "")] = method; };
    reader.SetSZFileName(dir / archive);
    reader.List();
    return listed;
  }
  std::vector<std::string> Names(const std::string& archive) {
    std::vector<std::string> names;
    for (const auto& [name, method] : Listed(archive)) names.push_back(name);
    return names;
  }

  TempDir dir;
  TSevenZip z;
  std::vector<std::string> messages;
};

TEST_F(Creation, StarPatternsPickFilesByTheirExactExtension) {
  struct Case {
    std::string name;
    std::string entry;
    AddOpts options;
    std::vector<std::string> stored;
  } cases[] = {
      {"txt", "\\*.txt", 0, {"a.txt", "sub\\"}},  // folders are items, not scanned
      {"txt-recursive",
       "\\*.txt",
       AddRecurseDirs,
       {"a.txt", "sub\\", "sub\\c.txt", "sub\\deeper\\", "sub\\deeper\\d.txt"}},
      {"capitals", "\\*.TXT", 0, {"B.TXT", "sub\\"}},  // letter case counts
      {"all", "\\*.*", 0, {"B.TXT", "a.txt", "notes.md", "sub\\"}},
      {"only-names",
       "\\*.*",
       AddRecurseDirs | AddStoreOnlyFilename,
       {"B.TXT", "a.txt", "c.txt", "d.txt", "e.bin", "notes.md"}},
  };
  // The root in other letter case: names are relative to it all the same.
  z.SetAddRootDir(WideUpper(dir / "src\\"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    z.SetAddOptions(c.options);
    ASSERT_EQ(AddAll(c.name + ".7z", {dir / "src" + c.entry}), 0);
    EXPECT_EQ(Names(c.name + ".7z"), c.stored);
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(Creation, TheRootFolderNamedItselfMakesNoNamelessItem) {
  z.SetAddRootDir(dir / "src");
  ASSERT_EQ(AddAll("x.7z", {dir / "src", dir / "src\\", dir / "src\\a.txt"}), 0);
  EXPECT_EQ(Names("x.7z"), std::vector<std::string>{"a.txt"});
  EXPECT_EQ(AddAll("y.7z", {dir / "src"}), -1);
  EXPECT_EQ(z.ErrCode(), kErrNoFilesToAdd);
  EXPECT_EQ(AddAll("z.7z", {dir / "src\\missing.txt", dir / "nothing\\*.none"}), -1);
  EXPECT_EQ(messages, std::vector<std::string>(2, "10 No files to add "));
  EXPECT_FALSE(Exists(dir / "y.7z"));
  EXPECT_FALSE(Exists(dir / "z.7z"));
}

TEST_F(Creation, AnExceptionFromANameHandlerReachesTheCaller) {
  z.OnSetAddName = [](TSevenZip*, uint32_t, std::string&) {
    throw std::runtime_error("from the handler");
  };
  EXPECT_THROW(AddAll("x.7z", {dir / "src\\a.txt"}), std::runtime_error);
  EXPECT_FALSE(Exists(dir / "x.7z"));  // nothing half-made is left
  z.OnSetAddName = nullptr;
  EXPECT_EQ(AddAll("x.7z", {dir / "src\\a.txt"}), 0);
}

TEST_F(Creation, SettingsReachTheCodec) {
  WriteFile(dir / "src\\text.txt", std::string(100000, 'x'));
  struct Case {
    std::string name;
    TCompressType type;
    TCompressStrength strength;
    uint8_t dictionary;
    std::string method;  // how the listing's method of text.txt starts
  } cases[] = {
      {"ppmd", PPMD, NORMAL, 0, "PPMD:o10:mem"},  // the codec fits the memory to the file
      {"stored", LZMA, SAVE, 0, "Copy"},
      {"dictionary", LZMA, FAST, 16, "LZMA2:16"},
  };
  z.SetAddRootDir(dir / "src");
  z.SetLPPMDmem(24);  // 16 MiB, not the default gigabyte
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    z.SetLZMACompressType(c.type);
    z.SetLZMACompressStrength(c.strength);
    z.SetLZMAStrength(c.dictionary);
    ASSERT_EQ(AddAll(c.name + ".7z", {dir / "src\\text.txt"}), 0);
    const std::string method = Listed(c.name + ".7z")["text.txt"];
    EXPECT_EQ(method.rfind(c.method, 0), 0u) << method;
    TSevenZip tester;
    tester.SetSZFileName(dir / (c.name + ".7z"));
    EXPECT_EQ(tester.Extract(true), 0);
  }
}

TEST_F(Creation, CancelFromAProgressHandlerStopsAndLeavesNoArchive) {
  WriteFile(dir / "src\\payload.bin", Noise(3'000'000, 10));
  z.SetAddRootDir(dir / "src");
  z.OnProgress = [](TSevenZip* sender, const std::string&, int64_t position, int64_t) {
    if (position > 0) sender->Cancel();
  };
  const int32_t result = AddAll("x.7z", {dir / "src\\payload.bin"});
  EXPECT_NE(result, 0);
  EXPECT_NE(result, -1);
  EXPECT_EQ(z.ErrCode(), kErrUserCanceled);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0], "6 User canceled operation " + (dir / "src\\payload.bin"));
  EXPECT_FALSE(Exists(dir / "x.7z"));
  EXPECT_EQ(Tree(dir.path()).size(), Tree(dir / "src").size() + 1);  // src alone, no leftovers
  z.OnProgress = nullptr;
  EXPECT_EQ(AddAll("x.7z", {dir / "src\\a.txt"}), 0);  // the flag was cleared
}

TEST_F(Creation, AnOpenSourceFileIsLeftOutAndSaidSo) {
  const auto held = HoldWithoutSharing(dir / "src\\notes.md");
  ASSERT_TRUE(held);
  z.SetAddRootDir(dir / "src");
  EXPECT_NE(AddAll("x.7z", {dir / "src\\a.txt", dir / "src\\notes.md"}), 0);
  EXPECT_EQ(messages, std::vector<std::string>{"1 File not found " + (dir / "src\\notes.md")});
  EXPECT_EQ(z.LastError(), 32) << "ERROR_SHARING_VIOLATION";
}

}  // namespace
