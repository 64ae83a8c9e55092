#include <gtest/gtest.h>

#include <filesystem>

#include "ArchiveFixtures.h"
#include "PosixFixtures.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/TempDir.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

// Split sets as users meet them: volumes that moved, sets that end in an
// empty volume, and questions that are never given up.
class VolumeFaults : public testing::Test {
 protected:
  void SetUp() override {
    RecordMessages(z, messages);
    WriteFile(dir / "src/payload.bin", Noise(350000, 21));
    WriteFile(dir / "src/small.txt", "small");
  }
  // Four volumes made by the 7z command: x.7z.001 to x.7z.004.
  void MakeFourVolumes() {
    ASSERT_EQ(Run7z({"a", "-v100k", "-mx0", "../x.7z", "payload.bin", "small.txt"}, dir / "src"),
              0);
    ASSERT_TRUE(Exists(dir / "x.7z.004"));
    ASSERT_FALSE(Exists(dir / "x.7z.005"));
  }
  int32_t ExtractFrom(const std::string& archive) {
    std::filesystem::remove_all(dir / "out");
    z.SetSZFileName(dir / archive);
    z.SetExtrBaseDir(dir / "out");
    z.Files().Clear();
    return z.Extract(false);
  }
  bool ExtractedWhole() {
    return ReadFile(dir / "out/payload.bin") == Noise(350000, 21) &&
           ReadFile(dir / "out/small.txt") == "small";
  }
  // Records the dialog's titles; it names `answer`, or is cancelled when
  // that is empty.
  void AnswerDialog(std::vector<std::string>& titles, const std::string& answer) {
    z.OnBrowseForFile = [&titles, answer](const std::string& title, const std::string&,
                                          const std::string&, const std::string&,
                                          std::string& name) {
      titles.push_back(title);
      name = answer;
      return !answer.empty();
    };
  }

  TempDir dir;
  TSevenZip z;
  std::vector<std::string> messages;
};

TEST_F(VolumeFaults, AMissingVolumeIsAskedForWhereverItLies) {
  MakeFourVolumes();
  struct Case {
    int missing;
    std::vector<std::string> titles;  // the guess of the last volume stops at a gap after .001
  } cases[] = {
      {2, {"Select last volume"}},
      {3, {}},
      {4, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.missing);
    const std::string volume = dir / ("x.7z.00" + std::to_string(c.missing));
    std::filesystem::rename(volume, dir / "moved.bin");
    std::vector<std::string> titles, asked;
    AnswerDialog(titles, dir / "x.7z.004");
    z.OnOpenVolume = [&](std::string& name, bool, bool&) {
      asked.push_back(name);
      name = dir / "moved.bin";
    };
    EXPECT_EQ(ExtractFrom("x.7z.001"), 0);
    EXPECT_TRUE(ExtractedWhole()) << "content differs";
    EXPECT_EQ(asked, (std::vector<std::string>{volume}));
    EXPECT_EQ(titles, c.titles);
    EXPECT_TRUE(messages.empty());
    std::filesystem::rename(dir / "moved.bin", volume);
  }
}

TEST_F(VolumeFaults, AnEventThatNeverCancelsEndsWithTheMissingVolume) {
  MakeFourVolumes();
  std::filesystem::remove(dir / "x.7z.003");
  struct Case {
    std::string name;
    bool dialog;  // one that is cancelled
    std::vector<std::string> titles;
  } cases[] = {
      {"no dialog", false, {}},
      {"dialog cancelled", true, {"Select volume"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    messages.clear();
    std::vector<std::string> titles;
    if (c.dialog)
      AnswerDialog(titles, "");
    else
      z.OnBrowseForFile = nullptr;
    int asked = 0;
    z.OnOpenVolume = [&](std::string&, bool, bool& Cancel) {
      // "Try again" with the same missing name; the way out is only there
      // so that a loop fails the test instead of hanging it.
      Cancel = ++asked >= 20;
    };
    EXPECT_EQ(ExtractFrom("x.7z.001"), -1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(z.ErrCode(), kErrFileNotFound);
    EXPECT_EQ(messages, (std::vector<std::string>{"1 File not found " + (dir / "x.7z.001")}));
  }
}

TEST_F(VolumeFaults, ASetThatEndsInAnEmptyVolumeIsRead) {
  // As another writer leaves it when the archive fills the volumes before
  // the last exactly.
  ASSERT_EQ(Run7z({"a", "-mx0", "../whole.7z", "payload.bin", "small.txt"}, dir / "src"), 0);
  const std::string whole = ReadFile(dir / "whole.7z");
  const size_t half = whole.size() / 2;
  WriteFile(dir / "x.7z.001", whole.substr(0, half));
  WriteFile(dir / "x.7z.002", whole.substr(half));
  WriteFile(dir / "x.7z.003", "");
  ASSERT_EQ(Run7z({"t", "x.7z.001"}, dir.path()), 0);
  EXPECT_EQ(ExtractFrom("x.7z.001"), 0);
  EXPECT_TRUE(ExtractedWhole()) << "content differs";
  EXPECT_TRUE(messages.empty());
}

TEST_F(VolumeFaults, VolumesThatHoldTheArchiveExactlyAreAllThereIs) {
  z.SetAddRootDir(dir / "src");
  const auto addInto = [&](const std::string& name) {
    z.SetSZFileName(dir / name);
    z.Files().Clear();
    z.Files().AddString(dir / "src/payload.bin");
    z.Files().AddString(dir / "src/small.txt");
    return z.Add();
  };
  // A few bytes more or less make an archive that two volumes hold exactly.
  for (std::string small = "small"; small.size() < 16; small += '!') {
    WriteFile(dir / "src/small.txt", small);
    ASSERT_EQ(addInto("whole.7z"), 0);
    if (SizeOf(dir / "whole.7z") % 2 == 0) break;
  }
  const std::string small = ReadFile(dir / "src/small.txt");
  const int64_t size = SizeOf(dir / "whole.7z");
  ASSERT_EQ(size % 2, 0);
  struct Case {
    std::string name;
    int64_t volumeSize;
    int volumes;
  } cases[] = {
      {"one.7z", size, 1},
      {"two.7z", size / 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    z.SetVolumeSize(static_cast<int32_t>(c.volumeSize));
    ASSERT_EQ(addInto(c.name), 0);
    std::vector<std::string> expected;
    for (int v = 1; v <= c.volumes; ++v)
      expected.push_back(dir / c.name + ".00" + std::to_string(v));
    EXPECT_EQ(z.NamesOfVolumesWritten(), expected);
    EXPECT_FALSE(Exists(dir / c.name + ".00" + std::to_string(c.volumes + 1)));
    EXPECT_EQ(Run7z({"t", c.name + ".001"}, dir.path()), 0);
    EXPECT_EQ(ExtractFrom(c.name + ".001"), 0);
    EXPECT_TRUE(ReadFile(dir / "out/payload.bin") == Noise(350000, 21)) << "content differs";
    EXPECT_EQ(ReadFile(dir / "out/small.txt"), small);
  }
  EXPECT_TRUE(messages.empty());
}

}  // namespace
