#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <stdexcept>

#include "ArchiveFixtures.h"
#include "ExtractionFixture.h"
#include "PosixFixtures.h"
#include "platform/UpdateJournal.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/ScopedUmask.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/faults/FolderState.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

// Packs `names` from dir/src into dir/<archive> with the 7z command.
void Pack7z(const TempDir& dir, const std::string& archive, std::vector<std::string> args,
            const std::vector<std::string>& names) {
  args.insert(args.begin(), {"a", dir / archive});
  args.insert(args.end(), names.begin(), names.end());
  ASSERT_EQ(Run7z(args, dir / "src"), 0);
}

}  // namespace

void sevenzip_test::Extraction::Pack(const std::string& archive,
                                     const std::vector<std::string>& names) {
  Pack7z(dir, archive, {"-ms=off"}, names);
}

namespace {

TEST_F(Extraction, TheUpdaterRoadReplacesFilesCreatesFoldersAndKeepsTimesAndModes) {
  WriteFile(dir / "src/top.txt", "new top");
  WriteFile(dir / "src/bin/tool", "#!/bin/sh\n");
  chmod((dir / "src/bin/tool").c_str(), 0750);
  WriteFile(dir / "src/lib/deep/data.bin", Noise(300000, 1));
  WriteFile(dir / "src/empty.txt", "");
  WriteFile(dir / "src/한글 이름.txt", "korean");
  SetMTime(dir / "src/top.txt", 1'300'000'000);
  SetMTime(dir / "src/bin/tool", 86400 * 2);  // a reproducible build's 1970 date
  Pack7z(dir, "patch.7z", {}, {"top.txt", "bin", "lib", "empty.txt", "한글 이름.txt"});

  WriteFile(dir / "app/top.txt", "old top, longer than the new one");
  WriteFile(dir / "app/keep.cfg", "mine");
  Use("patch.7z", dir / "app/");
  z.SetExtractOptions(ExtractOverwrite);
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(z.ErrCode(), 0);
  EXPECT_EQ(Tree(dir / "app"), (std::vector<std::string>{
                                   "bin/", "bin/tool", "empty.txt", "keep.cfg", "lib/", "lib/deep/",
                                   "lib/deep/data.bin", "top.txt", "한글 이름.txt"}));
  EXPECT_EQ(ReadFile(dir / "app/top.txt"), "new top");
  EXPECT_TRUE(ReadFile(dir / "app/lib/deep/data.bin") == Noise(300000, 1)) << "content differs";
  EXPECT_EQ(ReadFile(dir / "app/한글 이름.txt"), "korean");
  EXPECT_EQ(ReadFile(dir / "app/keep.cfg"), "mine");
  EXPECT_EQ(MTimeSeconds(dir / "app/top.txt"), 1'300'000'000);
  EXPECT_EQ(MTimeSeconds(dir / "app/bin/tool"), 86400 * 2);
  EXPECT_EQ(Mode(dir / "app/bin/tool"), 0750u);
}

TEST_F(Extraction, ThroughAJournalEveryChangeIsUndoneByRollback) {
  using testing_tools::FolderDetail;
  using testing_tools::ReadFolderState;
  testing_tools::ScopedUmask umask(022);
  WriteFile(dir / "src/top.txt", "new top");
  WriteFile(dir / "src/bin/tool", "new tool");
  WriteFile(dir / "src/lib/deep/data.bin", Noise(100000, 9));
  WriteFile(dir / "src/moved.txt", "moved by the application");
  Pack7z(dir, "patch.7z", {}, {"top.txt", "bin", "lib", "moved.txt"});

  WriteFile(dir / "app/top.txt", "old top");
  WriteFile(dir / "app/bin/tool", "old tool");
  WriteFile(dir / "app/keep.cfg", "mine");
  chmod((dir / "app/top.txt").c_str(), 0640);
  chmod((dir / "app/bin/tool").c_str(), 0700);
  for (const char* path : {"app/top.txt", "app/bin/tool", "app/bin", "app/keep.cfg"})
    SetMTime(dir / path, 1'000'000'000);
  const auto before = ReadFolderState(dir / "app", FolderDetail::ContentsModesAndTimes);
  const auto everywhere = ReadFolderState(dir.path());

  platform::Result result;
  auto journal = platform::UpdateJournal::Begin(dir / "app", &result);
  ASSERT_TRUE(journal) << result.text();
  z.SetExtractJournal(journal.get());
  Use("patch.7z", dir / "app/");
  z.SetExtractOptions(ExtractOverwrite);
  z.OnSetExtractName = [&](TSevenZip*, uint32_t, std::string& name) {
    if (name.ends_with("moved.txt")) name = dir / "elsewhere/deeper/moved.txt";
  };
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(ReadFile(dir / "app/top.txt"), "new top");
  EXPECT_TRUE(ReadFile(dir / "app/lib/deep/data.bin") == Noise(100000, 9)) << "content differs";
  EXPECT_EQ(ReadFile(dir / "elsewhere/deeper/moved.txt"), "moved by the application");

  ASSERT_TRUE(journal->Rollback());
  EXPECT_EQ(ReadFolderState(dir / "app", FolderDetail::ContentsModesAndTimes), before);
  EXPECT_EQ(ReadFolderState(dir.path()), everywhere);
}

TEST_F(Extraction, ALinkBecomesAPlainFileAndNoItemGetsMoreThanItsBitsUnderTheUmask) {
  testing_tools::ScopedUmask umask(022);
  std::filesystem::create_directories(dir / "src");
  std::filesystem::create_symlink("some/target", dir / "src/link");
  WriteFile(dir / "src/open.sh", "#!/bin/sh\n");
  WriteFile(dir / "src/set-id", "x");
  chmod((dir / "src/open.sh").c_str(), 0777);
  chmod((dir / "src/set-id").c_str(), 06755);
  Pack7z(dir, "x.7z", {"-snl"}, {"link", "open.sh", "set-id"});
  Use("x.7z", dir / "out");
  z.SetExtractOptions(ExtractOverwrite);
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "out/link"));
  EXPECT_EQ(ReadFile(dir / "out/link"), "some/target");
  EXPECT_EQ(Mode(dir / "out/link"), 0644u);
  EXPECT_EQ(Mode(dir / "out/open.sh"), 0755u);
  EXPECT_EQ(Mode(dir / "out/set-id"), 0755u);
}

TEST_F(Extraction, ExistingFilesAreSkippedUnlessOverwriteIsAllowed) {
  WriteFile(dir / "src/a.txt", "new a");
  WriteFile(dir / "src/b.txt", "new b");
  Pack7z(dir, "x.7z", {}, {"a.txt", "b.txt"});
  WriteFile(dir / "out/a.txt", "old a");
  WriteFile(dir / "out/b.txt", "old b");
  Use("x.7z", dir / "out");
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_EQ(ReadFile(dir / "out/a.txt"), "old a");
  EXPECT_EQ(ReadFile(dir / "out/b.txt"), "old b");

  std::vector<std::string> asked;
  z.OnExtractOverwrite = [&](TSevenZip*, const std::string& name, bool& overwrite) {
    asked.push_back(name);
    overwrite = name.ends_with("b.txt");
  };
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_EQ(asked, (std::vector<std::string>{dir / "out/a.txt", dir / "out/b.txt"}));
  EXPECT_EQ(ReadFile(dir / "out/a.txt"), "old a");
  EXPECT_EQ(ReadFile(dir / "out/b.txt"), "new b");
  EXPECT_TRUE(messages.empty());
}

TEST_F(Extraction, TestModeWritesNothingAndReportsStoredPaths) {
  WriteFile(dir / "src/d/a.txt", Noise(5000, 2));
  WriteFile(dir / "src/b.txt", "b");
  Pack7z(dir, "x.7z", {}, {"d", "b.txt"});
  Use("x.7z", dir / "out");
  std::vector<std::string> reported;
  z.OnExtractfile = [&](TSevenZip*, const std::string& name, int64_t) {
    if (reported.empty() || reported.back() != name) reported.push_back(name);
  };
  std::vector<std::string> progress;
  z.OnProgress = [&](TSevenZip*, const std::string& name, int64_t, int64_t) {
    progress.push_back(name);
  };
  EXPECT_EQ(z.Extract(true), 0);
  EXPECT_FALSE(Exists(dir / "out"));
  EXPECT_FALSE(reported.empty());
  for (const std::string& name : reported) EXPECT_EQ(name.find(dir.path()), std::string::npos);
  for (const std::string& name : progress) EXPECT_EQ(name.find(dir.path()), std::string::npos);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Extraction, EveryMethodAndModeExtracts) {
  WriteFile(dir / "src/text.txt", std::string(20000, 't') + "end");
  WriteFile(dir / "src/noise.bin", Noise(70000, 3));
  WriteFile(dir / "src/folder/empty", "");
  struct Case {
    std::string name;
    std::vector<std::string> args;
    std::string password;
  } cases[] = {
      {"lzma", {"-m0=lzma", "-ms=off"}, ""},
      {"lzma-solid", {"-m0=lzma", "-ms=on"}, ""},
      {"lzma2", {"-m0=lzma2"}, ""},
      {"ppmd", {"-m0=ppmd", "-ms=off"}, ""},
      {"ppmd-solid", {"-m0=ppmd", "-ms=on"}, ""},
      {"stored", {"-mx0"}, ""},
      {"encrypted", {"-psecret"}, "secret"},
      {"encrypted-names", {"-psecret", "-mhe=on"}, "secret"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pack7z(dir, c.name + ".7z", c.args, {"text.txt", "noise.bin", "folder"});
    Use(c.name + ".7z", dir / c.name);
    z.SetPassword(c.password);
    EXPECT_EQ(z.Extract(false), 0);
    EXPECT_EQ(ReadFile(dir / c.name + "/text.txt"), std::string(20000, 't') + "end");
    EXPECT_TRUE(ReadFile(dir / c.name + "/noise.bin") == Noise(70000, 3)) << "content differs";
    EXPECT_TRUE(Exists(dir / c.name + "/folder/empty"));
  }
  EXPECT_TRUE(messages.empty());
}

TEST_F(Extraction, AWrongOrMissingPasswordWritesNothing) {
  WriteFile(dir / "src/secret.txt", std::string(10000, 's'));
  Pack7z(dir, "data.7z", {"-psecret"}, {"secret.txt"});
  Pack7z(dir, "names.7z", {"-psecret", "-mhe=on"}, {"secret.txt"});
  WriteFile(dir / "out/secret.txt", "old");
  z.SetExtractOptions(ExtractOverwrite);

  Use("data.7z", dir / "out");
  z.SetPassword("wrong");
  EXPECT_NE(z.Extract(false), 0);
  EXPECT_EQ(z.ErrCode(), kErrDataError);
  EXPECT_EQ(messages, (std::vector<std::string>{"2 Data Error " + (dir / "out/secret.txt")}));
  EXPECT_EQ(ReadFile(dir / "out/secret.txt"), "old");
  EXPECT_EQ(Tree(dir / "out"), (std::vector<std::string>{"secret.txt"}));

  messages.clear();
  Use("names.7z", dir / "out");
  z.SetPassword("");
  EXPECT_EQ(z.Extract(false), -1);  // the names cannot even be read
  EXPECT_EQ(messages, (std::vector<std::string>{"1 File not found " + (dir / "names.7z")}));
  EXPECT_EQ(ReadFile(dir / "out/secret.txt"), "old");
}

TEST_F(Extraction, DamagedDataIsReportedAndNeverReplacesAGoodFile) {
  WriteFile(dir / "src/a.txt", std::string(4000, 'a'));
  WriteFile(dir / "src/b.txt", std::string(4000, 'b'));
  // Stored: a flipped byte is a checksum error. Compressed: a data error.
  Pack7z(dir, "stored.7z", {"-mx0", "-ms=off"}, {"a.txt", "b.txt"});
  Pack7z(dir, "lzma.7z", {"-m0=lzma", "-ms=off"}, {"a.txt", "b.txt"});
  FlipByte(dir / "stored.7z", 32 + 10);  // inside a.txt's data
  FlipByte(dir / "lzma.7z", 32 + 5);
  z.SetExtractOptions(ExtractOverwrite);
  for (const char* name : {"stored.7z", "lzma.7z"}) {
    SCOPED_TRACE(name);
    messages.clear();
    WriteFile(dir / "out/a.txt", "good old a");
    Use(name, dir / "out");
    EXPECT_NE(z.Extract(false), 0);
    ASSERT_EQ(messages.size(), 1u);
    const std::string expected =
        std::string(name) == "stored.7z" ? "3 CRC Error " : "2 Data Error ";
    EXPECT_EQ(messages[0], expected + (dir / "out/a.txt"));
    EXPECT_EQ(ReadFile(dir / "out/a.txt"), "good old a");
    EXPECT_EQ(ReadFile(dir / "out/b.txt"), std::string(4000, 'b'));
    EXPECT_EQ(Tree(dir / "out"), (std::vector<std::string>{"a.txt", "b.txt"}));
  }
}

TEST_F(Extraction, TruncatedAndMissingArchivesAreNotOpened) {
  WriteFile(dir / "src/a.txt", Noise(10000, 4));
  Pack7z(dir, "x.7z", {}, {"a.txt"});
  Truncate(dir / "x.7z", SizeOf(dir / "x.7z") - 10);
  Use("x.7z", dir / "out");
  EXPECT_EQ(z.Extract(false), -1);
  Use("missing.7z", dir / "out");
  EXPECT_EQ(z.Extract(false), -1);
  EXPECT_EQ(z.LastError(), ENOENT);
  EXPECT_EQ(messages, (std::vector<std::string>{"1 File not found " + (dir / "x.7z"),
                                                "1 File not found " + (dir / "missing.7z")}));
  EXPECT_FALSE(Exists(dir / "out"));
}

TEST_F(Extraction, ACreateFailureStopsThePass) {
  WriteFile(dir / "src/dir/f.txt", "f");
  Pack7z(dir, "x.7z", {}, {"dir"});
  WriteFile(dir / "out/dir", "a file where the folder should be");
  Use("x.7z", dir / "out");
  z.SetExtractOptions(ExtractOverwrite);
  EXPECT_NE(z.Extract(false), 0);
  EXPECT_EQ(z.ErrCode(), kErrCreateFile);
  EXPECT_NE(z.LastError(), 0);
  EXPECT_EQ(messages.back(), "11 Could not create file " + (dir / "out/dir/f.txt"));
}

TEST_F(Extraction, AFailedWriteLeavesTheOldFileAndReportsTheError) {
  WriteFile(dir / "src/big.bin", Noise(300000, 8));
  Pack7z(dir, "x.7z", {"-mx0"}, {"big.bin"});
  WriteFile(dir / "out/big.bin", "good old big");
  Use("x.7z", dir / "out");
  z.SetExtractOptions(ExtractOverwrite);
  int32_t result = 0;
  {
    TFileSizeLimit limit(100000);
    result = z.Extract(false);
  }
  EXPECT_NE(result, 0);
  EXPECT_EQ(z.LastError(), EFBIG);
  EXPECT_FALSE(messages.empty());
  EXPECT_EQ(ReadFile(dir / "out/big.bin"), "good old big");
  EXPECT_EQ(Tree(dir / "out"), (std::vector<std::string>{"big.bin"}));
}

TEST_F(Extraction, CancelStopsThePassAndIsThenCleared) {
  for (int i = 0; i < 5; ++i) WriteFile(dir / "src/f" + std::to_string(i), Noise(50000, i));
  Pack7z(dir, "x.7z", {"-ms=off", "-mx0"}, {"f0", "f1", "f2", "f3", "f4"});
  Use("x.7z", dir / "out");
  z.Cancel();  // before the pass: it stops at its first item
  EXPECT_NE(z.Extract(false), 0);
  EXPECT_FALSE(Exists(dir / "out/f0"));
  EXPECT_FALSE(Exists(dir / "out/f1"));

  messages.clear();
  z.OnExtractfile = [&](TSevenZip* sender, const std::string& name, int64_t) {
    if (name.ends_with("f1")) sender->Cancel();
  };
  EXPECT_NE(z.Extract(false), 0);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages.back().substr(0, 26), "6 User canceled operation ");
  EXPECT_EQ(z.ErrCode(), kErrUserCanceled);
  EXPECT_FALSE(Exists(dir / "out/f4"));
  for (const std::string& name : Tree(dir / "out"))  // no half-written file left
    EXPECT_TRUE(ReadFile(dir / "out/" + name) == Noise(50000, name[1] - '0')) << name;

  z.OnExtractfile = nullptr;
  EXPECT_EQ(z.Extract(false), 0);  // the flag was cleared
  EXPECT_TRUE(ReadFile(dir / "out/f4") == Noise(50000, 4)) << "content differs";
  // Cancel does not touch listing, which clears it.
  z.Cancel();
  EXPECT_EQ(z.List(), 5);
  EXPECT_EQ(z.Extract(true), 0);
}

TEST_F(Extraction, ItemsThatWouldLandOutsideTheBaseFolderAreRefused) {
  WriteFile(dir / "src/climb.txt", "climb");
  WriteFile(dir / "src/abs.txt", "abs");
  WriteFile(dir / "src/good.txt", "good");
  WriteFile(dir / "src/linked/x.txt", "through a link");
  Pack7z(dir, "x.7z", {}, {"climb.txt", "abs.txt", "good.txt", "linked"});
  ASSERT_EQ(Run7z({"rn", dir / "x.7z", "climb.txt", "../climb.txt", "abs.txt", dir / "abs/abs.txt"},
                  dir / "src"),
            0);
  // The base folder holds a link to a folder outside it.
  std::filesystem::create_directories(dir / "outside");
  std::filesystem::create_directories(dir / "out");
  std::filesystem::create_directory_symlink(dir / "outside", dir / "out/linked");
  Use("x.7z", dir / "out");
  z.SetExtractOptions(ExtractOverwrite);
  EXPECT_NE(z.Extract(false), 0);
  EXPECT_EQ(ReadFile(dir / "out/good.txt"), "good");
  EXPECT_FALSE(Exists(dir / "climb.txt"));
  EXPECT_FALSE(Exists(dir / "abs"));
  EXPECT_FALSE(Exists(dir / "out/abs"));
  EXPECT_TRUE(std::filesystem::is_empty(dir / "outside"));
  std::vector<std::string> expected = {
      "11 Could not create file " + (dir / "out/") + (dir / "abs/abs.txt"),
      "11 Could not create file " + (dir / "out/../climb.txt"),
      "11 Could not create file " + (dir / "out/linked"),
      "11 Could not create file " + (dir / "out/linked/x.txt")};
  std::sort(messages.begin(), messages.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(messages, expected);
}

TEST_F(Extraction, AClimbingItemIsRefusedEvenWhenAHandlerMovesIt) {
  WriteFile(dir / "src/climb.txt", "climb");
  WriteFile(dir / "src/good.txt", "good");
  Pack7z(dir, "x.7z", {}, {"climb.txt", "good.txt"});
  ASSERT_EQ(Run7z({"rn", dir / "x.7z", "climb.txt", "../climb.txt"}, dir / "src"), 0);
  Use("x.7z", dir / "out");
  // The application keeps its files elsewhere: it swaps the base folder.
  const std::string base = dir / "out/";
  z.OnSetExtractName = [&](TSevenZip*, uint32_t, std::string& name) {
    name = dir / "other/" + name.substr(base.size());
  };
  EXPECT_NE(z.Extract(false), 0);
  EXPECT_EQ(ReadFile(dir / "other/good.txt"), "good");
  EXPECT_FALSE(Exists(dir / "climb.txt"));
  EXPECT_EQ(messages,
            (std::vector<std::string>{"11 Could not create file " + base + "../climb.txt"}));
}

TEST_F(Extraction, ALinkStoredInTheArchiveIsNotFollowed) {
  std::filesystem::create_directories(dir / "outside");
  std::filesystem::create_directories(dir / "src");
  std::filesystem::create_directory_symlink(dir / "outside", dir / "src/link");
  Pack7z(dir, "x.7z", {"-snl"}, {"link"});
  std::filesystem::remove(dir / "src/link");
  WriteFile(dir / "src/link/payload.txt", "through the link");
  Pack7z(dir, "x.7z", {}, {"link/payload.txt"});
  Use("x.7z", dir / "out");
  z.SetExtractOptions(ExtractOverwrite);
  z.Extract(false);
  EXPECT_TRUE(std::filesystem::is_empty(dir / "outside"));
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "out/link"));
}

TEST_F(Extraction, SplitArchivesAreReadAcrossTheirVolumes) {
  WriteFile(dir / "src/big.bin", Noise(5000, 5));
  WriteFile(dir / "src/small.txt", "small");
  Pack7z(dir, "x.7z", {"-v2k", "-mx0"}, {"big.bin", "small.txt"});
  ASSERT_TRUE(Exists(dir / "x.7z.003"));
  Use("x.7z.001", dir / "out");
  EXPECT_EQ(z.List(), 2);
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_TRUE(ReadFile(dir / "out/big.bin") == Noise(5000, 5)) << "content differs";
  EXPECT_EQ(ReadFile(dir / "out/small.txt"), "small");

  // A volume that moved: the guess stops short of the last one, the user
  // names it, and the event finds the moved one.
  std::filesystem::rename(dir / "x.7z.002", dir / "moved.bin");
  std::vector<std::string> titles;
  z.OnBrowseForFile = [&](const std::string& title, const std::string&, const std::string&,
                          const std::string&, std::string& name) {
    titles.push_back(title);
    name = dir / "x.7z.003";
    return true;
  };
  bool cancel = false;
  z.OnOpenVolume = [&](std::string& name, bool, bool& Cancel) {
    if (cancel)
      Cancel = true;
    else
      name = dir / "moved.bin";
  };
  std::filesystem::remove_all(dir / "out");
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_TRUE(ReadFile(dir / "out/big.bin") == Noise(5000, 5)) << "content differs";
  EXPECT_EQ(titles, (std::vector<std::string>{"Select last volume"}));

  cancel = true;
  messages.clear();
  EXPECT_EQ(z.Extract(false), -1);
  EXPECT_EQ(messages, (std::vector<std::string>{"1 File not found " + (dir / "x.7z.001")}));
}

TEST_F(Extraction, AnExceptionFromAVolumeQuestionReachesTheCallerOfThatPass) {
  WriteFile(dir / "src/big.bin", Noise(5000, 6));
  WriteFile(dir / "src/a.txt", "a");
  Pack7z(dir, "x.7z", {"-v2k", "-mx0"}, {"big.bin"});
  Pack7z(dir, "plain.7z", {}, {"a.txt"});
  std::filesystem::remove(dir / "x.7z.002");
  z.OnBrowseForFile = [&](const std::string&, const std::string&, const std::string&,
                          const std::string&, std::string& name) {
    name = dir / "x.7z.003";
    return true;
  };
  z.OnOpenVolume = [](std::string&, bool, bool&) { throw std::runtime_error("from the handler"); };
  Use("x.7z.001", dir / "out");
  EXPECT_THROW(z.Extract(false), std::runtime_error);
  // Nothing of it is left over for the next operation.
  Use("plain.7z", dir / "out");
  EXPECT_EQ(z.List(), 1);
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_EQ(ReadFile(dir / "out/a.txt"), "a");
}

TEST_F(Extraction, ListReportsFoldersFilesAndEmptyFiles) {
  WriteFile(dir / "src/folder/file.txt", "content");
  WriteFile(dir / "src/empty.txt", "");
  SetMTime(dir / "src/folder/file.txt", 1'000'000'000);
  Pack7z(dir, "x.7z", {}, {"folder", "empty.txt"});
  Use("x.7z", dir / "out");
  struct Item {
    std::string name, method;
    int64_t index, size, attr, crc;
    double time;
  };
  std::vector<Item> items;
  z.OnListfile = [&](TSevenZip*, const std::string& name, int64_t index, int64_t size, int64_t,
                     int64_t attr, int64_t crc, const std::string& method, double time) {
    items.push_back({name, method, index, size, attr, crc, time});
  };
  EXPECT_EQ(z.List(), 3);
  EXPECT_EQ(z.NumberOfFiles(), 3);
  std::vector<std::string> files = z.Files().WStrings;
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"empty.txt", "folder/", "folder/file.txt"}));
  ASSERT_EQ(items.size(), 3u);
  for (const Item& item : items) {
    SCOPED_TRACE(item.name);
    if (item.name == "folder") {
      EXPECT_EQ(item.method, "None");
      EXPECT_NE(item.attr & 0x10, 0);
    } else if (item.name == "empty.txt") {
      EXPECT_EQ(item.method, "None");
      EXPECT_EQ(item.size, 0);
    } else {
      EXPECT_EQ(item.name, "folder/file.txt");
      EXPECT_EQ(item.method, "LZMA2:12");
      EXPECT_EQ(item.size, 7);
      EXPECT_EQ(item.crc, 0xFEC530A9);  // CRC-32 of "content"
      const time_t t = 1'000'000'000;
      struct tm local {};
      localtime_r(&t, &local);
      EXPECT_NEAR(item.time, 37143.0740740741 + local.tm_gmtoff / 86400.0, 1e-6);
    }
  }

  Use("missing.7z", dir / "out");
  EXPECT_EQ(z.List(), -1);
  EXPECT_EQ(z.ErrCode(), kErrFileNotFound);
  EXPECT_EQ(z.Files().Count, 0u);
  EXPECT_EQ(z.NumberOfFiles(), -1);
}

TEST_F(Extraction, ItemsAreFoundByPathIgnoringLetterCase) {
  WriteFile(dir / "src/Dir/Straße.txt", "x");
  Pack7z(dir, "x.7z", {}, {"Dir"});
  Use("x.7z", dir / "out");
  const int32_t index = z.GetIndexByFilename("dir/STRASSE.TXT");
  EXPECT_GE(index, 0);
  EXPECT_EQ(z.GetIndexByFilename("Dir/Straße.txt"), index);
  EXPECT_EQ(z.GetIndexByFilename("/Dir/Straße.txt"), -1);
  EXPECT_EQ(z.GetIndexByFilename("nothing"), -1);
  Use("missing.7z", dir / "out");
  EXPECT_EQ(z.GetIndexByFilename("Dir"), -1);
  EXPECT_EQ(z.ErrCode(), 0);
  EXPECT_TRUE(messages.empty());
}

}  // namespace
