#include <gtest/gtest.h>

#include <filesystem>

#include "ArchiveFixtures.h"
#include "ExtractionFixture.h"
#include "WinFixtures.h"
#include "platform/UpdateJournal.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/Utf8Path.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;
using testing_tools::U8Path;

}  // namespace

void sevenzip_test::Extraction::Pack(const std::string& archive,
                                     const std::vector<std::string>& names) {
  TSevenZip packer;
  packer.SetSZFileName(dir / archive);
  packer.SetAddRootDir(dir / "src");
  packer.SetAddOptions(AddRecurseDirs);
  for (const std::string& name : names) {
    const std::string path = dir / ("src\\" + name);
    const bool folder = std::filesystem::is_directory(U8Path(path));
    packer.Files().AddString(folder ? path + "\\*.*" : path);
  }
  ASSERT_EQ(packer.Add(), 0);
}

namespace {

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

}  // namespace
