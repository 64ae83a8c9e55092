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
  ASSERT_EQ(names,
            (std::vector<std::string>{dir / "x.7z.001", dir / "x.7z.002", dir / "x.7z.003"}));
  EXPECT_EQ(SizeOf(names[0]), 100000);
  EXPECT_EQ(SizeOf(names[1]), 100000);
  EXPECT_GT(SizeOf(names[2]), 50000);
  EXPECT_FALSE(Exists(dir / "x.7z"));
  TSevenZip z;
  EXPECT_EQ(ExtractAll(z, names[0], dir / "out"), 0);
  EXPECT_TRUE(ReadFile(dir / "out\\payload.bin") == Noise(250000, 7));
}

TEST_F(Volumes, AMissingVolumeIsAskedForThroughTheEvent) {
  MakeSet();
  struct Case {
    size_t missing;
    std::vector<std::string> titles;  // the guess of the last volume stops at a gap
  } cases[] = {
      {1, {"Select last volume"}},
      {2, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(names[c.missing]);
    WriteFile(dir / "moved.bin", ReadFile(names[c.missing]));
    std::filesystem::remove(testing_tools::U8Path(names[c.missing]));
    TSevenZip z;
    std::vector<std::string> titles, asked;
    z.OnBrowseForFile = [&](const std::string& title, const std::string&, const std::string&,
                            const std::string&, std::string& chosen) {
      titles.push_back(title);
      chosen = names[2];
      return true;
    };
    z.OnOpenVolume = [&](std::string& name, bool removable, bool&) {
      asked.push_back(name);
      EXPECT_FALSE(removable);
      name = dir / "moved.bin";
    };
    const std::string out = dir / ("out" + std::to_string(c.missing));
    EXPECT_EQ(ExtractAll(z, names[0], out), 0);
    EXPECT_EQ(asked, std::vector<std::string>{names[c.missing]});
    EXPECT_EQ(titles, c.titles);
    EXPECT_TRUE(ReadFile(out + "\\payload.bin") == Noise(250000, 7)) << "content differs";

    z.OnOpenVolume = [&](std::string&, bool, bool& cancel) { cancel = true; };
    EXPECT_NE(ExtractAll(z, names[0], dir / "cancelled"), 0);
    EXPECT_FALSE(Exists(dir / "cancelled\\payload.bin"));
    WriteFile(names[c.missing], ReadFile(dir / "moved.bin"));
  }
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
  EXPECT_TRUE(ReadFile(dir / "out\\payload.bin") == Noise(150000, 8)) << "content differs";
}

}  // namespace
