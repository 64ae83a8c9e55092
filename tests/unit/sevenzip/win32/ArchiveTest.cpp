#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "ArchiveFixtures.h"
#include "WinFixtures.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/TempDir.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

class Archives : public ::testing::Test {
 protected:
  TempDir dir;
};

TEST_F(Archives, WhatAddMakesListsTestsAndExtractsBack) {
  MakeTree(dir / "src");
  TSevenZip z;
  ASSERT_EQ(AddTree(z, dir / "x.7z", dir / "src"), 0);
  EXPECT_EQ(z.AddRootDir(), WideUpper(dir / "src"));

  TSevenZip reader;
  std::map<std::string, std::string> methods;
  reader.OnListfile = [&](TSevenZip*, const std::string& name, int64_t, int64_t, int64_t, int64_t,
                          int64_t, const std::string& method, double) { methods[name] = method; };
  reader.SetSZFileName(dir / "x.7z");
  ASSERT_EQ(reader.List(), 7);
  EXPECT_EQ(reader.NumberOfFiles(), 7);
  const std::vector<std::string>& names = reader.Files().WStrings;
  for (const char* name :
       {"a.txt", "sub\\", "sub\\deeper\\", "sub\\deeper\\한글 이름.txt", "empty\\"})
    EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
  EXPECT_EQ(methods["sub"], "None");  // a folder, without its backslash
  EXPECT_EQ(methods["sub\\empty.txt"], "None");
  EXPECT_EQ(methods["a.txt"], "Copy");  // SAVE stores
  EXPECT_GE(reader.GetIndexByFilename("SUB\\NUMBERS.BIN"), 0);
  EXPECT_EQ(reader.GetIndexByFilename("\\sub\\numbers.bin"), -1);

  std::vector<std::string> tested;
  reader.OnExtractfile = [&](TSevenZip*, const std::string& name, int64_t) {
    if (tested.empty() || tested.back() != name) tested.push_back(name);
  };
  reader.Files().Clear();  // the listing is no selection
  EXPECT_EQ(reader.Extract(true), 0);
  EXPECT_FALSE(Exists(dir / "out"));
  EXPECT_NE(std::find(tested.begin(), tested.end(), "sub\\numbers.bin"), tested.end());

  reader.OnExtractfile = nullptr;
  ASSERT_EQ(ExtractAll(reader, dir / "x.7z", dir / "out"), 0);
  EXPECT_EQ(Contents(dir / "out"), Contents(dir / "src"));
  EXPECT_EQ(MTimeSeconds(dir / "out\\a.txt"), kOldTime);
}

TEST_F(Archives, WithoutARootNamesLoseTheirDriveOrKeepItsLetter) {
  WriteFile(dir / "src\\f.txt", "f");
  const std::string path = dir / "src\\f.txt";
  ASSERT_EQ(path[1], ':');
  struct Case {
    AddOpts options;
    std::string stored;
  } cases[] = {
      {0, path.substr(3)},                                          // C:\dir\f: dir\f
      {AddIncludeDriveLetter, path.substr(0, 1) + path.substr(2)},  // C\dir\f
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    TSevenZip z;
    z.SetSZFileName(dir / "x.7z");
    z.Files().AddString(path);
    z.SetAddOptions(c.options);
    ASSERT_EQ(z.Add(), 0);
    TSevenZip reader;
    reader.SetSZFileName(dir / "x.7z");
    ASSERT_EQ(reader.List(), 1);
    EXPECT_EQ(reader.Files().WStrings, std::vector<std::string>{c.stored});
  }
}

TEST_F(Archives, EveryMethodOfThe7zCommandExtracts) {
  for (const char* method : {"Copy", "LZMA", "LZMA2", "PPMd", "BZip2", "Deflate"}) {
    SCOPED_TRACE(method);
    TSevenZip z;
    std::vector<std::string> messages;
    RecordMessages(z, messages);
    const std::string out = dir / method;
    EXPECT_EQ(ExtractAll(z, Fixture(std::string("method-") + method + ".7z"), out), 0);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Contents(out), Contents(Fixture("src")));
  }
}

TEST_F(Archives, ExistingFilesAreSkippedUnlessOverwriteIsAllowed) {
  MakeTree(dir / "src");
  TSevenZip z;
  ASSERT_EQ(AddTree(z, dir / "x.7z", dir / "src"), 0);
  ASSERT_EQ(ExtractAll(z, dir / "x.7z", dir / "out"), 0);
  WriteFile(dir / "out\\a.txt", "local");

  EXPECT_EQ(ExtractAll(z, dir / "x.7z", dir / "out", 0), 0);
  EXPECT_EQ(ReadFile(dir / "out\\a.txt"), "local");

  std::vector<std::string> asked;
  z.OnExtractOverwrite = [&](TSevenZip*, const std::string& name, bool& overwrite) {
    asked.push_back(name);
    overwrite = name == dir / "out\\a.txt";
  };
  EXPECT_EQ(ExtractAll(z, dir / "x.7z", dir / "out", 0), 0);
  EXPECT_EQ(ReadFile(dir / "out\\a.txt"), "alpha\n");
  EXPECT_NE(std::find(asked.begin(), asked.end(), dir / "out\\sub\\numbers.bin"), asked.end());
}

TEST_F(Archives, AFileHeldWithoutSharingIsReportedAndKept) {
  MakeTree(dir / "src");
  TSevenZip z;
  ASSERT_EQ(AddTree(z, dir / "x.7z", dir / "src"), 0);
  WriteFile(dir / "out\\a.txt", "running");
  std::vector<std::string> messages;
  RecordMessages(z, messages);
  {
    const auto held = HoldWithoutSharing(dir / "out\\a.txt");
    ASSERT_TRUE(held);
    EXPECT_NE(ExtractAll(z, dir / "x.7z", dir / "out"), 0);
  }
  EXPECT_EQ(ReadFile(dir / "out\\a.txt"), "running");
  EXPECT_EQ(z.LastError(), 32) << "ERROR_SHARING_VIOLATION";
  EXPECT_NE(std::find(messages.begin(), messages.end(),
                      "11 Could not create file " + (dir / "out\\a.txt")),
            messages.end());
  EXPECT_TRUE(ReadFile(dir / "out\\sub\\numbers.bin") == Noise(300000, 1)) << "the others landed";
}

TEST_F(Archives, PasswordsProtectContentAndWithTheOptionNames) {
  MakeTree(dir / "src");
  {
    TSevenZip z;
    z.SetPassword("geheim");
    z.SetAddOptions(AddEncryptFilename);
    ASSERT_EQ(AddTree(z, dir / "names.7z", dir / "src"), 0);
    z.SetAddOptions(0);
    ASSERT_EQ(AddTree(z, dir / "content.7z", dir / "src"), 0);
  }
  TSevenZip z;
  z.SetSZFileName(dir / "names.7z");
  EXPECT_EQ(z.List(), -1);
  EXPECT_EQ(z.ErrCode(), 1);
  z.SetSZFileName(dir / "content.7z");
  EXPECT_EQ(z.List(), 7);  // the names are open
  EXPECT_NE(ExtractAll(z, dir / "content.7z", dir / "none"), 0);
  EXPECT_FALSE(Exists(dir / "none\\a.txt"));
  z.SetPassword("wrong");
  EXPECT_NE(ExtractAll(z, dir / "content.7z", dir / "wrong"), 0);
  EXPECT_FALSE(Exists(dir / "wrong\\sub\\numbers.bin"));

  z.SetPassword("geheim");
  z.SetSZFileName(dir / "names.7z");
  EXPECT_EQ(z.List(), 7);
  EXPECT_EQ(ExtractAll(z, dir / "names.7z", dir / "out"), 0);
  EXPECT_EQ(Contents(dir / "out"), Contents(dir / "src"));
  z.SetPassword("secret");  // the 7z command's, names encrypted too
  EXPECT_EQ(ExtractAll(z, Fixture("encrypted.7z"), dir / "theirs"), 0);
  EXPECT_EQ(Contents(dir / "theirs"), Contents(Fixture("src")));
}

TEST_F(Archives, DamagedDataIsReportedAndNeverReplacesAGoodFile) {
  const std::string archive = dir / "damaged.7z";
  WriteFile(archive, ReadFile(Fixture("method-Copy.7z")));
  // The stored numbers lie in the middle of the uncompressed archive.
  FlipByte(archive, SizeOf(archive) / 2);
  WriteFile(dir / "out\\sub\\numbers.txt", "good");
  TSevenZip z;
  std::vector<std::string> messages;
  RecordMessages(z, messages);
  EXPECT_NE(ExtractAll(z, archive, dir / "out"), 0);
  EXPECT_EQ(ReadFile(dir / "out\\sub\\numbers.txt"), "good");
  EXPECT_NE(
      std::find(messages.begin(), messages.end(), "3 CRC Error " + (dir / "out\\sub\\numbers.txt")),
      messages.end());
}

TEST_F(Archives, MissingArchivesAndProgramsWithoutOneAreNotOpened) {
  TSevenZip z;
  std::vector<std::string> messages;
  RecordMessages(z, messages);
  EXPECT_EQ(ExtractAll(z, dir / "missing.7z", dir / "out"), -1);
  EXPECT_EQ(z.ErrCode(), 1);
  z.SetSZFileName(dir / "missing.7z");
  EXPECT_EQ(z.List(), -1);
  EXPECT_EQ(z.NumberOfFiles(), -1);
  // A program with no archive after it.
  WriteFile(dir / "plain.exe", ReadFile(ProgramFolder() + "7za.dll"));
  EXPECT_EQ(ExtractAll(z, dir / "plain.exe", dir / "out"), -1);
  EXPECT_EQ(z.ErrCode(), 7);
  EXPECT_EQ(messages,
            (std::vector<std::string>{"1 File not found " + (dir / "missing.7z"),
                                      "1 File not found " + (dir / "missing.7z"),
                                      "7 File is not an 7z SFX archive " + (dir / "plain.exe")}));
  EXPECT_FALSE(Exists(dir / "out"));
}

TEST_F(Archives, CancelStopsTheNextExtractionAndIsThenCleared) {
  MakeTree(dir / "src");
  TSevenZip z;
  ASSERT_EQ(AddTree(z, dir / "x.7z", dir / "src"), 0);
  z.Cancel();
  EXPECT_NE(ExtractAll(z, dir / "x.7z", dir / "out"), 0);
  EXPECT_FALSE(Exists(dir / "out\\sub\\numbers.bin"));
  EXPECT_EQ(ExtractAll(z, dir / "x.7z", dir / "out"), 0);
  EXPECT_EQ(Contents(dir / "out"), Contents(dir / "src"));
}

}  // namespace
