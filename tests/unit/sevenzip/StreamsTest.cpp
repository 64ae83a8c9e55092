#include <gtest/gtest.h>

#include <filesystem>

#include "ArchiveFixtures.h"
#include "platform/Paths.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/SevenZip.h"
#include "sevenzip/StreamReader.h"
#include "sevenzip/StreamWriter.h"
#include "tests/tools/PeMaker.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/Utf8Path.h"

namespace {

using namespace sevenzip;
using namespace sevenzip_test;
using testing_tools::TempDir;

// Volume files whose bytes count up across the set: byte i holds i % 251.
void WriteVolumes(const std::string& base, int count, int size) {
  for (int v = 0; v < count; ++v) {
    std::string data;
    for (int i = 0; i < size; ++i) data.push_back(static_cast<char>((v * size + i) % 251));
    WriteFile(base + "." + VolumeNumber(v + 1), data);
  }
}

ComPtr<TMyStreamReader> Reader(TSevenZip& owner, const std::string& name, bool asArchive) {
  return ComPtr<TMyStreamReader>(new TMyStreamReader(&owner, name, asArchive));
}

TEST(StreamReader, ReadsAcrossAVolumeBoundaryAndClosesTheFinishedVolume) {
  TempDir dir;
  WriteVolumes(dir / "v.7z", 2, 100);
  TSevenZip z;
  auto reader = Reader(z, dir / "v.7z.001", true);
  ASSERT_EQ(reader->Seek(96, 0, nullptr), S_OK);
  uint8_t data[10] = {};
  uint32_t got = 0;
  ASSERT_EQ(reader->Read(data, 10, &got), S_OK);
  ASSERT_EQ(got, 10u);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(data[i], 96 + i);
  EXPECT_EQ(reader->Position(), 106);
  ASSERT_EQ(reader->Volumes().size(), 2u);
  EXPECT_FALSE(reader->Volumes()[0].Handle.valid());
  EXPECT_TRUE(reader->Volumes()[1].Handle.valid());
  // Reading back into the closed volume opens it again.
  ASSERT_EQ(reader->Seek(-100, 1, nullptr), S_OK);
  ASSERT_EQ(reader->Read(data, 3, &got), S_OK);
  EXPECT_EQ(got, 3u);
  EXPECT_EQ(data[0], 6);
}

TEST(StreamReader, GuessesTheLastVolumeAndOpensTheOthersOnDemand) {
  TempDir dir;
  WriteVolumes(dir / "v.7z", 5, 100);
  TSevenZip z;
  auto reader = Reader(z, dir / "v.7z.001", true);
  uint8_t data[200] = {};
  uint32_t got = 0;
  ASSERT_EQ(reader->Seek(95, 0, nullptr), S_OK);
  ASSERT_EQ(reader->Read(data, 10, &got), S_OK);
  const TArrayOfFiles& volumes = reader->Volumes();
  ASSERT_EQ(volumes.size(), 5u);
  EXPECT_EQ(volumes[4].Name, dir / "v.7z.005");
  EXPECT_TRUE(volumes[4].Handle.valid());
  EXPECT_TRUE(volumes[1].Handle.valid());   // the read went on into volume 2
  EXPECT_FALSE(volumes[2].Handle.valid());  // placeholders until read
  EXPECT_FALSE(volumes[3].Handle.valid());
  EXPECT_EQ(volumes[3].Size, 0);
  ASSERT_EQ(reader->Seek(390, 0, nullptr), S_OK);
  ASSERT_EQ(reader->Read(data, 200, &got), S_OK);
  EXPECT_EQ(got, 110u);  // the set ends at 500
  EXPECT_EQ(data[0], 390 % 251);
  EXPECT_EQ(data[109], 499 % 251);
  EXPECT_EQ(volumes[3].Size, 100);
}

TEST(StreamReader, ATruncatedPlainArchiveAsksForTheLastVolume) {
  TempDir dir;
  WriteFile(dir / "x.7z", std::string(50, 'x'));
  TSevenZip z;
  std::vector<std::string> asked;
  z.OnBrowseForFile = [&](const std::string& title, const std::string& filter,
                          const std::string& pattern, const std::string& folder, std::string&) {
    asked.push_back(title + "|" + filter + "|" + pattern + "|" + folder);
    return false;
  };
  auto reader = Reader(z, dir / "x.7z", true);
  uint8_t data[100];
  uint32_t got = 7;
  EXPECT_EQ(reader->Read(data, 100, &got), S_FALSE);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(asked, (std::vector<std::string>{"Select last volume|x-volumes|x.*|" + dir.path() +
                                             platform::kPathSeparator}));
}

TEST(StreamReader, AGuessThatDoesNotQualifyIsNotTriedAgain) {
  TempDir dir;
  WriteVolumes(dir / "v.7z", 1, 100);  // only .001: the guess is volume 1
  WriteVolumes(dir / "w.7z", 3, 100);  // a set of another name
  TSevenZip z;
  int asked = 0;
  std::string answer = dir / "w.7z.003";
  z.OnBrowseForFile = [&](const std::string&, const std::string&, const std::string&,
                          const std::string&, std::string& name) {
    ++asked;
    if (asked > 1) return false;
    name = answer;
    return true;
  };
  auto reader = Reader(z, dir / "v.7z.001", true);
  uint8_t data[20];
  uint32_t got = 0;
  ASSERT_EQ(reader->Seek(90, 0, nullptr), S_OK);
  EXPECT_EQ(reader->Read(data, 20, &got), S_FALSE);  // w.7z.003 is not ours; then cancelled
  EXPECT_EQ(asked, 2);
}

TEST(StreamReader, AnAnswerNumberedBeyondAnySetDoesNotQualify) {
  TempDir dir;
  WriteVolumes(dir / "v.7z", 1, 100);
  WriteFile(dir / "v.7z.2000000000", std::string(10, 'x'));
  TSevenZip z;
  int asked = 0;
  z.OnBrowseForFile = [&](const std::string&, const std::string&, const std::string&,
                          const std::string&, std::string& name) {
    if (++asked > 1) return false;
    name = dir / "v.7z.2000000000";
    return true;
  };
  auto reader = Reader(z, dir / "v.7z.001", true);
  uint8_t data[20];
  uint32_t got = 0;
  ASSERT_EQ(reader->Seek(90, 0, nullptr), S_OK);
  EXPECT_EQ(reader->Read(data, 20, &got), S_FALSE);  // asked again, then cancelled
  EXPECT_EQ(asked, 2);
  EXPECT_LE(reader->Volumes().size(), 2u);
}

TEST(StreamReader, AMissingVolumeIsAskedForThroughTheEvent) {
  TempDir dir;
  WriteVolumes(dir / "v.7z", 3, 100);
  std::filesystem::rename(testing_tools::U8Path(dir / "v.7z.002"),
                          testing_tools::U8Path(dir / "moved"));
  TSevenZip z;
  std::vector<std::string> asked;
  z.OnBrowseForFile = [&](const std::string&, const std::string&, const std::string&,
                          const std::string&, std::string& name) {
    name = dir / "v.7z.003";
    return true;
  };
  bool cancel = false;
  z.OnOpenVolume = [&](std::string& name, bool removable, bool& Cancel) {
    asked.push_back(name);
    EXPECT_FALSE(removable);
    if (cancel) {
      Cancel = true;
    } else {
      name = dir / "moved";
    }
  };
  {
    auto reader = Reader(z, dir / "v.7z.001", true);
    uint8_t data[150];
    uint32_t got = 0;
    ASSERT_EQ(reader->Seek(50, 0, nullptr), S_OK);
    ASSERT_EQ(reader->Read(data, 150, &got), S_OK);
    EXPECT_EQ(got, 150u);
    EXPECT_EQ(data[149], 199 % 251);
    EXPECT_EQ(asked, (std::vector<std::string>{dir / "v.7z.002"}));
  }
  cancel = true;
  asked.clear();
  auto reader = Reader(z, dir / "v.7z.001", true);
  uint8_t data[150];
  uint32_t got = 0;
  ASSERT_EQ(reader->Seek(50, 0, nullptr), S_OK);
  EXPECT_EQ(reader->Read(data, 150, &got), S_FALSE);
  EXPECT_EQ(asked.size(), 1u);
}

TEST(StreamReader, SeekingFromTheEndNeedsAKnownSize) {
  TempDir dir;
  TSevenZip z;
  auto missing = Reader(z, dir / "none.7z", true);
  uint64_t position = 99;
  EXPECT_EQ(missing->Seek(-1, 2, &position), S_FALSE);
  EXPECT_EQ(position, 0u);
  uint64_t size = 0;
  EXPECT_EQ(missing->GetSize(&size), S_FALSE);
  uint8_t data[4];
  uint32_t got = 9;
  EXPECT_EQ(missing->Read(data, 4, &got), S_OK);  // no data, no question
  EXPECT_EQ(got, 0u);

  WriteFile(dir / "plain.bin", "0123456789");
  auto plain = Reader(z, dir / "plain.bin", true);  // no 7z header: taken as it is
  EXPECT_EQ(plain->Seek(-2, 2, &position), S_OK);
  EXPECT_EQ(position, 8u);
  EXPECT_EQ(plain->GetSize(&size), S_OK);
  EXPECT_EQ(size, 10u);
  EXPECT_NE(plain->Seek(-20, 1, &position), S_OK);  // before the start
  EXPECT_EQ(plain->Position(), 8);

  WriteFile(dir / "empty", "");
  auto source = Reader(z, dir / "empty", false);  // a source file's size is known
  EXPECT_EQ(source->GetSize(&size), S_OK);
  EXPECT_EQ(size, 0u);
}

TEST(StreamWriter, CutsTheOutputIntoVolumes) {
  TempDir dir;
  int32_t error = 0;
  std::string data(2500, 'd');
  {
    auto writer = TMyStreamWriter::Create(&error, dir / "a.7z", std::nullopt, 0x20, 1000, false);
    ASSERT_TRUE(writer);
    uint32_t done = 0;
    EXPECT_EQ(writer->Write(data.data(), 2500, &done), S_OK);
    EXPECT_EQ(done, 2500u);
    EXPECT_EQ(writer->SetSize(10), S_FALSE);
    EXPECT_EQ(writer->FileNames(),
              (std::vector<std::string>{dir / "a.7z.001", dir / "a.7z.002", dir / "a.7z.003"}));
  }
  EXPECT_EQ(SizeOf(dir / "a.7z.001"), 1000);
  EXPECT_EQ(SizeOf(dir / "a.7z.002"), 1000);
  EXPECT_EQ(SizeOf(dir / "a.7z.003"), 500);
  EXPECT_EQ(error, 0);
  {
    auto writer = TMyStreamWriter::Create(&error, dir / "b.7z", std::nullopt, 0x20, 1000, false);
    uint32_t done = 0;
    EXPECT_EQ(writer->Write(data.data(), 2000, &done), S_OK);
    uint64_t position = 0;
    EXPECT_EQ(writer->Seek(-500, 2, &position), S_OK);
    EXPECT_EQ(position, 1500u);
    EXPECT_EQ(writer->Write("XY", 2, &done), S_OK);
    EXPECT_EQ(writer->Write("", 0, &done), S_OK);
    EXPECT_EQ(writer->FileNames(), (std::vector<std::string>{dir / "b.7z.001", dir / "b.7z.002"}));
  }
  EXPECT_FALSE(Exists(dir / "b.7z.003"));  // the write ending at 2000 put nothing there
  EXPECT_EQ(ReadFile(dir / "b.7z.002").substr(500, 2), "XY");
}

TEST(StreamWriter, ReplacesWhatWasThereBefore) {
  TempDir dir;
  WriteFile(dir / "old.7z", std::string(5000, 'o'));
  WriteFile(dir / "empty.7z", "");
  int32_t error = 0;
  for (const char* name : {"old.7z", "empty.7z"}) {
    {
      auto writer = TMyStreamWriter::Create(&error, dir / name, std::nullopt, 0x20, 0, false);
      ASSERT_TRUE(writer);
      uint32_t done = 0;
      EXPECT_EQ(writer->Write("new", 3, &done), S_OK);
    }
    EXPECT_EQ(ReadFile(dir / name), "new") << name;
  }
  EXPECT_EQ(error, 0);
}

TEST(StreamWriter, AnArchiveWrittenBesideItsNameReplacesItOnlyWhenCommitted) {
  TempDir dir;
  WriteFile(dir / "a.7z", "old");
  int32_t error = 0;
  for (const bool commit : {false, true}) {
    SCOPED_TRACE(commit);
    auto writer = TMyStreamWriter::CreateBeside(&error, dir / "a.7z", std::nullopt, 0x20, 0);
    ASSERT_TRUE(writer);
    uint32_t done = 0;
    EXPECT_EQ(writer->Write("new", 3, &done), S_OK);
    EXPECT_EQ(ReadFile(dir / "a.7z"), "old");
    EXPECT_EQ(writer->FileNames(), (std::vector<std::string>{dir / "a.7z"}));
    if (commit) {
      EXPECT_TRUE(writer->Commit());
    }
    writer.reset();
    EXPECT_EQ(ReadFile(dir / "a.7z"), commit ? "new" : "old");
    EXPECT_EQ(Tree(dir.path()), (std::vector<std::string>{"a.7z"}));
  }
  EXPECT_EQ(error, 0);
}

TEST(StreamWriter, AppendsToAnExistingModule) {
  TempDir dir;
  WriteFile(dir / "a.exe", "MODULE");
  int32_t error = 0;
  {
    auto writer = TMyStreamWriter::Create(&error, dir / "a.exe", std::nullopt, 0x20, 10, true);
    ASSERT_TRUE(writer);
    uint32_t done = 0;
    EXPECT_EQ(writer->Write("0123456789", 10, &done), S_OK);
  }
  EXPECT_EQ(ReadFile(dir / "a.exe"), "MODULE0123");
  EXPECT_EQ(ReadFile(dir / "a.exe.002"), "456789");
}

// An .exe of `moduleSize` bytes followed by `tail`.
void WriteExe(const std::string& path, size_t moduleSize, const std::string& tail) {
  WriteFile(path, std::string(moduleSize, '\0') + tail);
}

const std::string kSig("7z\xBC\xAF\x27\x1C", 6);

TEST(SFXCheck, FindsTheSignatureInItsWindowOnly) {
  TempDir dir;
  TSevenZip z;
  WriteExe(dir / "a.exe", 65636, kSig + "rest");
  EXPECT_TRUE(z.SFXCheck(dir / "a.exe"));
  EXPECT_TRUE(z.IsSFX());
  EXPECT_EQ(z.SFXOffset(), 65636);

  EXPECT_FALSE(z.SFXCheck(dir / "a.7z"));  // not an .exe: nothing changes
  EXPECT_TRUE(z.IsSFX());
  EXPECT_EQ(z.SFXOffset(), 65636);

  WriteExe(dir / "blind.EXE", 1000, kSig + std::string(70000, 'x'));  // within the first 64 KiB
  EXPECT_FALSE(z.SFXCheck(dir / "blind.EXE"));
  EXPECT_FALSE(z.IsSFX());
  EXPECT_EQ(z.SFXOffset(), 0);

  WriteExe(dir / "short.exe", 65541, "");
  EXPECT_FALSE(z.SFXCheck(dir / "short.exe"));
  EXPECT_FALSE(z.SFXCheck(dir / "missing.exe"));
}

TEST(SFXCheck, FindsAnArchiveAtTheEndOfAPeModule) {
  TempDir dir;
  std::vector<uint8_t> pe = testing_tools::MakePe(false, std::nullopt);
  const size_t moduleSize = pe.size();
  pe.insert(pe.end(), kSig.begin(), kSig.end());
  pe.resize(pe.size() + 100000, 'x');
  testing_tools::WriteBytes(dir / "pe.exe", pe);
  TSevenZip z;
  ASSERT_LT(moduleSize, 65536u);
  EXPECT_TRUE(z.SFXCheck(dir / "pe.exe"));
  EXPECT_EQ(z.SFXOffset(), static_cast<int64_t>(moduleSize));
}

}  // namespace
