#include <gtest/gtest.h>

#include <filesystem>

#include "ArchiveFixtures.h"
#include "WinFixtures.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/Utf8Path.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

class Volumes : public ::testing::Test {
 protected:
  // 250000 bytes that do not compress, cut into volumes of 100000.
  void MakeSet() {
    WriteFile(dir / "src\\payload.bin", Noise(250000, 7));
    TSevenZip z;
    z.SetVolumeSize(100000);
    ASSERT_EQ(AddTree(z, dir / "x.7z", dir / "src"), 0);
    names = z.NamesOfVolumesWritten();
  }

  TempDir dir;
  std::vector<std::string> names;
};

TEST_F(Volumes, AreWrittenNamedAndReadBackAcrossTheirFiles) {
  MakeSet();
  ASSERT_EQ(names, (std::vector<std::string>{dir / "x.7z.001", dir / "x.7z.002", dir / "x.7z.003"}));
  EXPECT_EQ(SizeOf(names[0]), 100000);
  EXPECT_EQ(SizeOf(names[1]), 100000);
  EXPECT_GT(SizeOf(names[2]), 50000);
  EXPECT_FALSE(Exists(dir / "x.7z"));
  TSevenZip z;
  EXPECT_EQ(ExtractAll(z, names[0], dir / "out"), 0);
  EXPECT_EQ(ReadFile(dir / "out\\payload.bin"), Noise(250000, 7));
}

TEST_F(Volumes, AMissingVolumeIsAskedForThroughTheEvent) {
  MakeSet();
  std::filesystem::create_directories(testing_tools::U8Path(dir / "moved"));
  WriteFile(dir / "moved\\second", ReadFile(names[1]));
  std::filesystem::remove(testing_tools::U8Path(names[1]));

  TSevenZip z;
  std::vector<std::string> asked;
  z.OnOpenVolume = [&](std::string& name, bool removable, bool& cancel) {
    asked.push_back(name);
    EXPECT_FALSE(removable);
    name = dir / "moved\\second";
  };
  EXPECT_EQ(ExtractAll(z, names[0], dir / "out"), 0);
  EXPECT_EQ(asked, std::vector<std::string>{dir / "x.7z.002"});
  EXPECT_EQ(ReadFile(dir / "out\\payload.bin"), Noise(250000, 7));

  z.OnOpenVolume = [&](std::string& name, bool, bool& cancel) {
    if (name == dir / "x.7z.002") cancel = true;
  };
  EXPECT_NE(ExtractAll(z, names[0], dir / "cancelled"), 0);
  EXPECT_FALSE(Exists(dir / "cancelled\\payload.bin"));
}

TEST_F(Volumes, ANewSetReplacesAnEarlierLongerSetWhole) {
  MakeSet();
  WriteFile(dir / "src\\payload.bin", Noise(150000, 8));
  TSevenZip z;
  z.SetVolumeSize(100000);
  ASSERT_EQ(AddTree(z, dir / "x.7z", dir / "src"), 0);
  EXPECT_EQ(z.NamesOfVolumesWritten().size(), 2u);
  EXPECT_FALSE(Exists(dir / "x.7z.003"));
  EXPECT_EQ(ExtractAll(z, dir / "x.7z.001", dir / "out"), 0);
  EXPECT_EQ(ReadFile(dir / "out\\payload.bin"), Noise(150000, 8));
}

}  // namespace
