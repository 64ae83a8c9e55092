#include <gtest/gtest.h>

#include "ArchiveFixtures.h"
#include "WinFixtures.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/Processes.h"
#include "tests/tools/TempDir.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

// The Windows console module, copied beside this program by the build.
std::string Module() {
  return ProgramFolder() + "7zCon.sfx";
}

class SelfExtractors : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeTree(dir / "src");
    moduleSize = SizeOf(Module());
    ASSERT_GT(moduleSize, 0) << Module();
  }

  TempDir dir;
  int64_t moduleSize = 0;
};

TEST_F(SelfExtractors, AreMadeFromTheModuleAndReadFromTheirArchive) {
  TSevenZip z;
  z.SetSFXModule(Module());
  z.SetSFXCreate(true);
  ASSERT_TRUE(z.SFXCreate());
  EXPECT_EQ(z.SFXOffset(), moduleSize);
  ASSERT_EQ(AddTree(z, dir / "setup.7z", dir / "src"), 0);
  EXPECT_EQ(z.SZFileName(), dir / "setup.exe");
  EXPECT_FALSE(Exists(dir / "setup.7z"));
  EXPECT_EQ(ReadFile(dir / "setup.exe").substr(0, moduleSize), ReadFile(Module()));

  // The module is larger than the window the signature is looked for in:
  // its own headers say where the archive starts.
  TSevenZip reader;
  EXPECT_TRUE(reader.SFXCheck(dir / "setup.exe"));
  EXPECT_TRUE(reader.IsSFX());
  EXPECT_EQ(reader.SFXOffset(), moduleSize);
  reader.SetSZFileName(dir / "setup.exe");
  EXPECT_EQ(reader.List(), 7);
  EXPECT_EQ(ExtractAll(reader, dir / "setup.exe", dir / "out"), 0);
  EXPECT_EQ(Contents(dir / "out"), Contents(dir / "src"));
}

TEST_F(SelfExtractors, TheProgramExtractsItself) {
  TSevenZip z;
  z.SetSFXModule(Module());
  z.SetSFXCreate(true);
  ASSERT_EQ(AddTree(z, dir / "setup.7z", dir / "src"), 0);
  ASSERT_EQ(testing_tools::RunProgram(dir / "setup.exe", {"-y", "-o" + (dir / "out")}, dir.path()),
            0);
  EXPECT_EQ(Contents(dir / "out"), Contents(dir / "src"));
}

TEST_F(SelfExtractors, ASplitSelfExtractorIsReadAcrossItsVolumes) {
  WriteFile(dir / "src\\sub\\numbers.bin", Noise(500000, 3));
  TSevenZip z;
  z.SetSFXModule(Module());
  z.SetVolumeSize(100000);
  z.SetSFXCreate(true);
  // The first volume holds the module and must be larger than it.
  EXPECT_EQ(z.VolumeSize(), moduleSize + 7);
  z.SetVolumeSize(moduleSize + 200000);
  ASSERT_EQ(AddTree(z, dir / "setup.7z", dir / "src"), 0);
  const std::vector<std::string>& names = z.NamesOfVolumesWritten();
  ASSERT_GE(names.size(), 2u);
  EXPECT_EQ(names[0], dir / "setup.exe");
  EXPECT_EQ(names[1], dir / "setup.exe.002");

  TSevenZip reader;
  EXPECT_EQ(ExtractAll(reader, dir / "setup.exe", dir / "out"), 0);
  EXPECT_EQ(Contents(dir / "out"), Contents(dir / "src"));
}

TEST_F(SelfExtractors, ConvertToAndFromPlainArchivesByteForByte) {
  TSevenZip z;
  ASSERT_EQ(AddTree(z, dir / "plain.7z", dir / "src"), 0);
  const std::string archive = ReadFile(dir / "plain.7z");
  z.SetSFXModule(Module());
  ASSERT_TRUE(z.Convert7ztoSFX(dir / "plain.7z"));
  EXPECT_EQ(ReadFile(dir / "plain.exe"), ReadFile(Module()) + archive);
  EXPECT_EQ(ReadFile(dir / "plain.7z"), archive);  // its input stays

  TSevenZip back;
  ASSERT_TRUE(back.SFXCheck(dir / "plain.exe"));
  EXPECT_EQ(back.SFXOffset(), moduleSize);
  WriteFile(dir / "plain.7z", "something else");
  EXPECT_TRUE(back.ConvertSFXto7z(dir / "plain.exe"));
  EXPECT_EQ(ReadFile(dir / "plain.7z"), archive);
}

TEST_F(SelfExtractors, AnExistingProgramIsNeverReplaced) {
  WriteFile(dir / "setup.exe", "mine");
  TSevenZip z;
  std::vector<std::string> messages;
  RecordMessages(z, messages);
  z.SetSFXModule(Module());
  z.SetSFXCreate(true);
  EXPECT_EQ(AddTree(z, dir / "setup.7z", dir / "src"), -1);
  EXPECT_EQ(z.ErrCode(), 9);
  EXPECT_NE(z.LastError(), 0);
  EXPECT_EQ(ReadFile(dir / "setup.exe"), "mine");

  WriteFile(dir / "plain.7z", "archive");
  WriteFile(dir / "plain.exe", "mine");
  z.SetSZFileName(dir / "named.7z");
  EXPECT_FALSE(z.Convert7ztoSFX(dir / "plain.7z"));
  EXPECT_EQ(z.ErrCode(), 8);
  EXPECT_EQ(ReadFile(dir / "plain.exe"), "mine");
  EXPECT_EQ(messages,
            (std::vector<std::string>{"9 Could not create SFX " + (dir / "setup.exe"),
                                      "8 SFXModule error ( Not found ) " + (dir / "named.7z")}));
}

}  // namespace
