#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <stdexcept>

#include "ArchiveFixtures.h"
#include "CreationFixture.h"
#include "PosixFixtures.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/faults/FolderState.h"
#include "tests/tools/faults/GoneProcess.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;
using testing_tools::TemporaryLeftovers;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// `7z l -slt` of an archive in `folder`.
std::string Technical(const std::string& folder, const std::string& archive,
                      const std::string& password = "") {
  std::string out;
  RunProgram("7z", {"l", "-slt", archive, "-p" + password}, folder, &out);
  return out;
}

TEST_F(Creation, ArchivesRoundTripThroughThe7zCommandAndOurExtraction) {
  WriteFile(dir / "src/empty.txt", "");
  WriteFile(dir / "src/big.bin", Noise(200000, 7));
  WriteFile(dir / "src/한글.txt", "korean");
  WriteFile(dir / "src/bin/run.sh", "#!/bin/sh\n");
  chmod((dir / "src/bin/run.sh").c_str(), 0755);
  chmod((dir / "src/a.txt").c_str(), 0600);
  SetMTime(dir / "src/a.txt", 1'234'567'890);
  SetMTime(dir / "src/bin/run.sh", 86400);  // before 1980
  z.SetAddRootDir(Upper(dir / "src/"));     // other letter case
  z.SetAddOptions(AddRecurseDirs);
  z.SetLZMACompressStrength(NORMAL);
  ASSERT_EQ(AddAll("x.7z", {dir / "src/*.*"}), 0);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(z.NamesOfVolumesWritten(), (std::vector<std::string>{dir / "x.7z"}));
  EXPECT_EQ(z.AddRootDir(), Upper(dir / "src/"));

  EXPECT_EQ(Run7z({"t", "x.7z"}, dir.path()), 0);
  const std::string listing = Technical(dir.path(), "x.7z");
  EXPECT_NE(listing.find("Path = sub/deeper/d.txt"), std::string::npos) << listing;
  EXPECT_NE(listing.find("Path = 한글.txt"), std::string::npos);
  EXPECT_EQ(listing.find("Path = /"), std::string::npos);
  EXPECT_EQ(listing.find("Created = "), std::string::npos);  // no 1601 creation dates

  EXPECT_EQ(Names("x.7z"),
            (std::vector<std::string>{"B.TXT", "a.txt", "big.bin", "bin/", "bin/run.sh",
                                      "empty.txt", "notes.md", "sub/", "sub/c.txt", "sub/deeper/",
                                      "sub/deeper/d.txt", "sub/deeper/e.bin", "한글.txt"}));
  z.SetExtrBaseDir(dir / "ours");
  z.Files().Clear();  // the whole archive, not the names just listed
  EXPECT_EQ(z.Extract(false), 0);
  ASSERT_EQ(Run7z({"x", "x.7z", "-otheirs"}, dir.path()), 0);
  for (const std::string& out : {dir / "ours", dir / "theirs"}) {
    SCOPED_TRACE(out);
    EXPECT_EQ(Tree(out), Tree(dir / "src"));
    EXPECT_TRUE(ReadFile(out + "/big.bin") == Noise(200000, 7)) << "content differs";
    EXPECT_EQ(ReadFile(out + "/한글.txt"), "korean");
    EXPECT_EQ(SizeOf(out + "/empty.txt"), 0);
    EXPECT_EQ(MTimeSeconds(out + "/a.txt"), 1'234'567'890);
    EXPECT_EQ(MTimeSeconds(out + "/bin/run.sh"), 86400);
    EXPECT_EQ(Mode(out + "/bin/run.sh"), 0755u);
    EXPECT_EQ(Mode(out + "/a.txt"), 0600u);
  }
}

TEST_F(Creation, ALinkedFileIsStoredAsItsContentAndALinkedFolderIsLeftOut) {
  std::filesystem::create_symlink(dir / "src/a.txt", dir / "src/link.txt");
  std::filesystem::create_directory_symlink(dir / "src", dir / "src/sub/loop");
  std::filesystem::create_symlink(dir / "src/gone.txt", dir / "src/dangling.txt");
  z.SetAddRootDir(dir / "src");
  z.SetAddOptions(AddRecurseDirs);
  ASSERT_EQ(AddAll("x.7z", {dir / "src/*.*"}), 0);
  EXPECT_EQ(Names("x.7z"),
            (std::vector<std::string>{"B.TXT", "a.txt", "link.txt", "notes.md", "sub/", "sub/c.txt",
                                      "sub/deeper/", "sub/deeper/d.txt", "sub/deeper/e.bin"}));
  ASSERT_EQ(Run7z({"x", "x.7z", "-oout"}, dir.path()), 0);
  EXPECT_EQ(ReadFile(dir / "out/link.txt"), "alpha");
}

TEST_F(Creation, NamesWithoutARootLoseOnlyTheLeadingSeparator) {
  z.SetAddOptions(AddIncludeDriveLetter);  // nothing to keep on this platform
  ASSERT_EQ(AddAll("x.7z", {dir / "src/a.txt", dir / "src/sub", dir / "src/missing.txt"}), 0);
  const std::string base = (dir / "src/").substr(1);
  EXPECT_EQ(Names("x.7z"), (std::vector<std::string>{base + "a.txt", base + "sub/"}));

  z.OnSetAddName = [](TSevenZip*, uint32_t, std::string& name) { name = "//renamed/" + name; };
  z.SetAddRootDir(dir / "src");
  ASSERT_EQ(AddAll("y.7z", {dir / "src/a.txt"}), 0);
  EXPECT_EQ(Names("y.7z"), (std::vector<std::string>{"renamed/a.txt"}));
}

TEST_F(Creation, SettingsReachTheCodec) {
  WriteFile(dir / "src/text.txt", std::string(100000, 'x'));
  struct Case {
    std::string name;
    TCompressType type;
    TCompressStrength strength;
    AddOpts options;
    uint8_t dictionary;
    std::string expected;  // a line `7z l -slt` shows
  } cases[] = {
      {"ppmd", PPMD, NORMAL, 0, 0, "Method = PPMD:o10:mem"},
      {"stored", LZMA, SAVE, 0, 0, "Method = Copy"},
      {"dictionary", LZMA, FAST, 0, 16, "Method = LZMA2:16"},
      {"solid", LZMA, NORMAL, AddSolid, 0, "Solid = +"},
      {"not-solid", LZMA, NORMAL, 0, 0, "Solid = -"},
  };
  z.SetAddRootDir(dir / "src");
  z.SetLPPMDmem(24);  // 16 MiB, not the default gigabyte
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    z.SetLZMACompressType(c.type);
    z.SetLZMACompressStrength(c.strength);
    z.SetAddOptions(c.options);
    z.SetLZMAStrength(c.dictionary);
    ASSERT_EQ(AddAll(c.name + ".7z", {dir / "src/text.txt", dir / "src/a.txt"}), 0);
    const std::string listing = Technical(dir.path(), c.name + ".7z");
    EXPECT_NE(listing.find(c.expected), std::string::npos) << listing;
    EXPECT_EQ(Run7z({"t", c.name + ".7z"}, dir.path()), 0);
  }
}

TEST_F(Creation, EncryptedNamesNeedThePassword) {
  z.SetAddRootDir(dir / "src");
  z.SetPassword("secret");
  z.SetAddOptions(AddEncryptFilename);
  ASSERT_EQ(AddAll("hidden.7z", {dir / "src/a.txt"}), 0);
  z.SetAddOptions(0);
  ASSERT_EQ(AddAll("data.7z", {dir / "src/a.txt"}), 0);

  EXPECT_EQ(Technical(dir.path(), "hidden.7z", "wrong").find("Path = a.txt"), std::string::npos);
  EXPECT_NE(Technical(dir.path(), "hidden.7z", "secret").find("Path = a.txt"), std::string::npos);
  EXPECT_NE(Technical(dir.path(), "data.7z", "wrong").find("Path = a.txt"), std::string::npos);
  EXPECT_NE(Run7z({"t", "data.7z", "-pwrong"}, dir.path()), 0);
  EXPECT_EQ(Run7z({"t", "data.7z", "-psecret"}, dir.path()), 0);

  z.SetPassword("");
  z.SetSZFileName(dir / "hidden.7z");
  EXPECT_EQ(z.List(), -1);
  z.SetPassword("secret");
  EXPECT_EQ(z.List(), 1);
  // Without a password the option does nothing.
  z.SetPassword("");
  z.SetAddOptions(AddEncryptFilename);
  ASSERT_EQ(AddAll("open.7z", {dir / "src/a.txt"}), 0);
  EXPECT_NE(Technical(dir.path(), "open.7z").find("Path = a.txt"), std::string::npos);
}

TEST_F(Creation, VolumesAreWrittenAndNamed) {
  WriteFile(dir / "src/payload.bin", Noise(2'500'000, 9));
  z.SetAddRootDir(dir / "src");
  z.SetVolumeSize(1'000'000);
  ASSERT_EQ(AddAll("v.7z", {dir / "src/payload.bin"}), 0);
  EXPECT_EQ(z.NamesOfVolumesWritten(),
            (std::vector<std::string>{dir / "v.7z.001", dir / "v.7z.002", dir / "v.7z.003"}));
  EXPECT_EQ(SizeOf(dir / "v.7z.001"), 1'000'000);
  EXPECT_FALSE(Exists(dir / "v.7z.004"));
  ASSERT_EQ(Run7z({"x", "v.7z.001", "-otheirs"}, dir.path()), 0);
  EXPECT_TRUE(ReadFile(dir / "theirs/payload.bin") == Noise(2'500'000, 9)) << "content differs";
  z.SetSZFileName(dir / "v.7z.001");
  z.SetExtrBaseDir(dir / "ours");
  z.Files().Clear();
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_TRUE(ReadFile(dir / "ours/payload.bin") == Noise(2'500'000, 9)) << "content differs";
}

TEST_F(Creation, ProgressNamesEachFileWithItsSizeAndCountsTheWholePass) {
  WriteFile(dir / "src/payload.bin", Noise(300000, 14));
  z.SetAddRootDir(dir / "src");
  // The codec reports once before it asks for the first file: no name yet.
  std::vector<std::pair<std::string, int64_t>> started;
  z.OnAddfile = [&](TSevenZip*, const std::string& name, int64_t size) {
    if (!name.empty() && (started.empty() || started.back().first != name))
      started.emplace_back(name, size);
  };
  int64_t last = -1;
  bool consistent = true;
  z.OnProgress = [&](TSevenZip*, const std::string& name, int64_t arc, int64_t file) {
    consistent = consistent && arc >= last && file >= 0 && file <= arc &&
                 (name.empty() || (!started.empty() && name == started.back().first));
    last = arc;
  };
  ASSERT_EQ(AddAll("x.7z", {dir / "src/a.txt", dir / "src/payload.bin"}), 0);
  EXPECT_TRUE(consistent);
  EXPECT_EQ(last, 300000 + 5);
  ASSERT_FALSE(started.empty());
  EXPECT_EQ(started.back(), std::make_pair(dir / "src/payload.bin", int64_t{300000}));
  for (const auto& [name, size] : started) EXPECT_EQ(size, SizeOf(name)) << name;
}

TEST_F(Creation, AnArchiveInsideTheFolderItAddsLeavesItselfOut) {
  std::filesystem::create_symlink(dir / "src/pkg.7z", dir / "src/link.7z");
  const std::vector<std::string> folderFiles = {
      "B.TXT",     "a.txt",       "notes.md",         "sub/",
      "sub/c.txt", "sub/deeper/", "sub/deeper/d.txt", "sub/deeper/e.bin"};
  struct Case {
    std::string name;
    int32_t volumeSize;
    std::vector<std::string> entries;
    std::vector<std::string> stored;
  } cases[] = {
      {"pattern", 0, {dir / "src/*.*"}, folderFiles},
      {"volumes", 2000, {dir / "src/*.*"}, folderFiles},
      // Other spellings of the archive, and a link to it.
      {"named",
       0,
       {dir / "src/a.txt", dir / "src/pkg.7z", dir / "src/sub/../pkg.7z", dir / "src/link.7z",
        dir / "src/pkg.7z.001"},
       {"a.txt"}},
  };
  WriteFile(dir / "src/sub/deeper/e.bin", Noise(5000, 16));  // several volumes' worth
  z.SetAddRootDir(dir / "src");
  z.SetAddOptions(AddRecurseDirs);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    z.SetVolumeSize(c.volumeSize);
    const std::string archive = c.volumeSize > 0 ? "src/pkg.7z.001" : "src/pkg.7z";
    // Reading the archive while it is written would grow it without end.
    TFileSizeLimit limit(64 << 20);
    ASSERT_EQ(AddAll("src/pkg.7z", c.entries), 0);
    ASSERT_EQ(AddAll("src/pkg.7z", c.entries), 0);  // now it is there to be found
    EXPECT_EQ(Names(archive), c.stored);
    EXPECT_EQ(Run7z({"t", archive}, dir.path()), 0);
    for (const std::string& name : Tree(dir / "src"))
      if (name.rfind("pkg.7z", 0) == 0) std::filesystem::remove(dir / ("src/" + name));
  }
}

TEST_F(Creation, AFailedAddKeepsTheArchiveThatWasThere) {
  WriteFile(dir / "src/payload.bin", Noise(300000, 17));
  WriteFile(dir / "src/old.bin", Noise(150000, 19));  // three volumes' worth
  WriteFile(dir / "module.sfx", std::string(1000, 'M'));
  enum TFailure { kFullDisk, kCancel, kHandlerThrows };
  struct Case {
    std::string name;
    int32_t volumeSize;
    TFailure failure;
    bool selfExtractor;
  } cases[] = {
      {"full disk", 0, kFullDisk, false},
      {"cancelled", 0, kCancel, false},
      {"handler failed", 0, kHandlerThrows, false},
      {"full disk, volumes", 60000, kFullDisk, false},
      {"cancelled, volumes", 60000, kCancel, false},
      {"cancelled self-extractor", 0, kCancel, true},
  };
  z.SetAddRootDir(dir / "src");
  z.SetSFXModule(dir / "module.sfx");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    z.SetVolumeSize(c.volumeSize);
    z.OnProgress = nullptr;
    z.OnSetAddName = nullptr;
    ASSERT_EQ(AddAll("x.7z", {dir / "src/a.txt", dir / "src/notes.md", dir / "src/old.bin"}), 0);
    const std::vector<std::string> before = Tree(dir.path());
    std::vector<std::string> contents;
    for (const std::string& name : z.NamesOfVolumesWritten()) contents.push_back(ReadFile(name));

    z.SetSFXCreate(c.selfExtractor);
    if (c.failure == kCancel)
      z.OnProgress = [](TSevenZip* sender, const std::string&, int64_t position, int64_t) {
        if (position > 0) sender->Cancel();
      };
    if (c.failure == kHandlerThrows)
      z.OnSetAddName = [](TSevenZip*, uint32_t, std::string&) {
        throw std::runtime_error("from the handler");
      };
    {
      std::optional<TFileSizeLimit> limit;
      if (c.failure == kFullDisk) limit.emplace(c.volumeSize > 0 ? c.volumeSize / 2 : 100000);
      if (c.failure == kHandlerThrows)
        EXPECT_THROW(AddAll("x.7z", {dir / "src/payload.bin"}), std::runtime_error);
      else
        EXPECT_NE(AddAll("x.7z", {dir / "src/payload.bin"}), 0);
    }
    if (c.failure == kCancel) {
      EXPECT_EQ(z.ErrCode(), kErrUserCanceled);
    }
    z.SetSFXCreate(false);
    EXPECT_EQ(Tree(dir.path()), before);  // nothing new is left behind
    for (size_t v = 0; v < contents.size(); ++v) {
      const std::string name =
          c.volumeSize > 0 ? dir / "x.7z.00" + std::to_string(v + 1) : dir / "x.7z";
      EXPECT_TRUE(ReadFile(name) == contents[v]) << name << " changed";
    }
    EXPECT_EQ(Names(c.volumeSize > 0 ? "x.7z.001" : "x.7z"),
              (std::vector<std::string>{"a.txt", "notes.md", "old.bin"}));
    for (const std::string& name : Tree(dir.path()))
      if (name.rfind("x.7z", 0) == 0) std::filesystem::remove(dir / name);
  }
}

TEST_F(Creation, ANewVolumeSetReplacesAnEarlierSetWhole) {
  WriteFile(dir / "src/payload.bin", Noise(450000, 18));
  z.SetAddRootDir(dir / "src");
  z.SetVolumeSize(100000);
  ASSERT_EQ(AddAll("v.7z", {dir / "src/payload.bin"}), 0);
  ASSERT_TRUE(Exists(dir / "v.7z.005"));
  z.SetVolumeSize(300000);
  ASSERT_EQ(AddAll("v.7z", {dir / "src/payload.bin", dir / "src/a.txt"}), 0);
  EXPECT_EQ(z.NamesOfVolumesWritten(),
            (std::vector<std::string>{dir / "v.7z.001", dir / "v.7z.002"}));
  for (const char* gone : {"v.7z.003", "v.7z.004", "v.7z.005"})
    EXPECT_FALSE(Exists(dir / gone)) << gone;
  EXPECT_EQ(Names("v.7z.001"), (std::vector<std::string>{"a.txt", "payload.bin"}));
  EXPECT_EQ(Run7z({"t", "v.7z.001"}, dir.path()), 0);
  // A single file of the same name is another archive: it stays.
  WriteFile(dir / "w.7z", "mine");
  ASSERT_EQ(AddAll("w.7z", {dir / "src/a.txt"}), 0);
  EXPECT_EQ(ReadFile(dir / "w.7z"), "mine");
}

TEST_F(Creation, AnOutputThatCannotBeCreatedAborts) {
  z.SetSZFileName(dir / "no/such/folder/x.7z");
  z.Files().AddString(dir / "src/a.txt");
  EXPECT_THROW(z.Add(), sevenzip::EAbort);
  EXPECT_EQ(z.LastError(), ENOENT);
}

TEST_F(Creation, SelfExtractorsAreMadeFromTheModule) {
  z.SetSFXModule("/usr/lib/p7zip/7zCon.sfx");
  z.SetSFXCreate(true);
  ASSERT_TRUE(z.SFXCreate());
  EXPECT_EQ(z.SFXOffset(), SizeOf("/usr/lib/p7zip/7zCon.sfx"));
  z.SetAddRootDir(dir / "src");
  z.SetAddOptions(AddRecurseDirs);
  ASSERT_EQ(AddAll("setup.7z", {dir / "src/*.*"}), 0);
  EXPECT_EQ(z.SZFileName(), dir / "setup.exe");
  EXPECT_NE(Mode(dir / "setup.exe") & 0100, 0u);
  std::string out;
  EXPECT_EQ(RunProgram(dir / "setup.exe", {"-y", "-o" + (dir / "run")}, dir.path(), &out), 0)
      << out;
  EXPECT_EQ(Tree(dir / "run"), Tree(dir / "src"));

  // The target exists now: nothing is replaced.
  messages.clear();
  EXPECT_EQ(AddAll("setup.7z", {dir / "src/a.txt"}), -1);
  EXPECT_EQ(z.ErrCode(), kErrCreateSFX);
  EXPECT_EQ(messages, (std::vector<std::string>{"9 Could not create SFX " + (dir / "setup.exe")}));
  EXPECT_EQ(z.LastError(), EEXIST);
  EXPECT_EQ(RunProgram(dir / "setup.exe", {"t"}, dir.path(), &out), 0) << out;
}

TEST_F(Creation, ASplitSelfExtractorIsReadBackAcrossItsVolumes) {
  WriteFile(dir / "src/payload.bin", Noise(250000, 13));
  WriteFile(dir / "small.sfx", std::string(70000, 'M'));  // found by the scan
  z.SetSFXModule(dir / "small.sfx");
  z.SetSFXCreate(true);
  z.SetVolumeSize(100000);
  z.SetAddRootDir(dir / "src");
  ASSERT_EQ(AddAll("split.7z", {dir / "src/payload.bin"}), 0);
  EXPECT_EQ(z.NamesOfVolumesWritten(),
            (std::vector<std::string>{dir / "split.exe", dir / "split.exe.002",
                                      dir / "split.exe.003", dir / "split.exe.004"}));
  EXPECT_EQ(SizeOf(dir / "split.exe"), 100000);
  EXPECT_EQ(ReadFile(dir / "split.exe").substr(0, 70000), std::string(70000, 'M'));

  z.SetSFXCreate(false);
  z.Files().Clear();
  z.SetExtrBaseDir(dir / "out");
  EXPECT_EQ(z.Extract(false), 0);  // checks the .exe, then finds .002 to .004
  EXPECT_EQ(z.SFXOffset(), 70000);
  EXPECT_TRUE(ReadFile(dir / "out/payload.bin") == Noise(250000, 13)) << "content differs";
}

TEST_F(Creation, VolumeSizeMakesRoomForTheModule) {
  WriteFile(dir / "module.sfx", std::string(150000, 'M'));
  z.SetSFXModule(dir / "module.sfx");
  z.SetVolumeSize(100000);
  z.SetSFXCreate(true);
  EXPECT_EQ(z.VolumeSize(), 150007);
  EXPECT_EQ(z.SFXOffset(), 150000);
  z.SetVolumeSize(1000);
  EXPECT_EQ(z.VolumeSize(), 150007);
  z.SetVolumeSize(0);
  EXPECT_EQ(z.VolumeSize(), 0);
  z.SetSFXModule(dir / "missing.sfx");
  z.SetSFXCreate(true);
  EXPECT_FALSE(z.SFXCreate());
}

TEST_F(Creation, ArchivesConvertToSelfExtractorsAndBack) {
  z.SetAddRootDir(dir / "src");
  z.SetAddOptions(AddRecurseDirs);
  ASSERT_EQ(AddAll("x.7z", {dir / "src/*.*"}), 0);
  const std::string archive = ReadFile(dir / "x.7z");

  // A module that ends inside the window SFXCheck scans.
  WriteFile(dir / "small.sfx", std::string(70000, 'M'));
  z.SetSFXModule(dir / "small.sfx");
  ASSERT_TRUE(z.Convert7ztoSFX(dir / "x.7z"));
  EXPECT_EQ(ReadFile(dir / "x.exe"), std::string(70000, 'M') + archive);
  ASSERT_TRUE(z.SFXCheck(dir / "x.exe"));
  EXPECT_EQ(z.SFXOffset(), 70000);
  std::filesystem::rename(dir / "x.7z", dir / "original.7z");
  ASSERT_TRUE(z.ConvertSFXto7z(dir / "x.exe"));
  EXPECT_EQ(ReadFile(dir / "x.7z"), archive);

  // An existing .exe stays as it is.
  messages.clear();
  WriteFile(dir / "y.7z", archive);
  WriteFile(dir / "y.exe", "mine");
  z.SetSZFileName("the component's own name");
  EXPECT_FALSE(z.Convert7ztoSFX(dir / "y.7z"));
  EXPECT_EQ(ReadFile(dir / "y.exe"), "mine");
  EXPECT_EQ(z.ErrCode(), kErrSFXModule);
  EXPECT_EQ(messages,
            (std::vector<std::string>{"8 SFXModule error ( Not found ) the component's own name"}));
  // A missing module is the same error.
  z.SetSFXModule(dir / "missing.sfx");
  EXPECT_FALSE(z.Convert7ztoSFX(dir / "original.7z"));
  EXPECT_EQ(z.LastError(), ENOENT);
  EXPECT_FALSE(Exists(dir / "original.exe"));
  // So is a folder, with a reason of its own.
  z.SetSFXModule(dir / "src");
  EXPECT_FALSE(z.Convert7ztoSFX(dir / "original.7z"));
  EXPECT_EQ(z.LastError(), EISDIR);
  EXPECT_FALSE(Exists(dir / "original.exe"));
}

TEST_F(Creation, TheInstalledModuleMakesAProgramThatExtractsItself) {
  z.SetAddRootDir(dir / "src");
  z.SetAddOptions(AddRecurseDirs);
  ASSERT_EQ(AddAll("x.7z", {dir / "src/*.*"}), 0);
  z.SetSFXModule("/usr/lib/p7zip/7zCon.sfx");
  ASSERT_TRUE(z.Convert7ztoSFX(dir / "x.7z"));
  std::string out;
  EXPECT_EQ(RunProgram(dir / "x.exe", {"-y", "-o" + (dir / "run")}, dir.path(), &out), 0) << out;
  EXPECT_EQ(Tree(dir / "run"), Tree(dir / "src"));
}

TEST_F(Creation, ConvertingBackWithoutACheckCopiesTheWholeFile) {
  WriteFile(dir / "plain.exe", Noise(300000, 11));  // two and a bit copy buffers
  TSevenZip fresh;
  ASSERT_TRUE(fresh.ConvertSFXto7z(dir / "plain.exe"));
  EXPECT_TRUE(ReadFile(dir / "plain.7z") == Noise(300000, 11)) << "content differs";
  WriteFile(dir / "exact.exe", Noise(131072, 12));  // exactly one buffer
  ASSERT_TRUE(fresh.ConvertSFXto7z(dir / "exact.exe"));
  EXPECT_TRUE(ReadFile(dir / "exact.7z") == Noise(131072, 12)) << "content differs";
  EXPECT_FALSE(fresh.ConvertSFXto7z(dir / "missing.exe"));
  EXPECT_FALSE(Exists(dir / "missing.7z"));
  WriteFile(dir / "self.7z", "data");
  EXPECT_FALSE(fresh.ConvertSFXto7z(dir / "self.7z"));  // would overwrite itself
  EXPECT_EQ(ReadFile(dir / "self.7z"), "data");
}

TEST_F(Creation, AFailedConversionBackKeepsTheArchiveThatWasThere) {
  WriteFile(dir / "big.exe", Noise(300000, 15));
  WriteFile(dir / "big.7z", "mine");
  TSevenZip fresh;
  {
    TFileSizeLimit limit(100000);  // as on a full disk
    EXPECT_FALSE(fresh.ConvertSFXto7z(dir / "big.exe"));
  }
  EXPECT_EQ(ReadFile(dir / "big.7z"), "mine");
  EXPECT_EQ(TemporaryLeftovers(dir.path()), std::vector<std::string>{});
  // Once it can be written, the copy replaces it.
  ASSERT_TRUE(fresh.ConvertSFXto7z(dir / "big.exe"));
  EXPECT_TRUE(ReadFile(dir / "big.7z") == Noise(300000, 15)) << "content differs";
}

// A writer killed before its commit leaves its temporaries beside its target.
// The next Add or conversion into that folder removes them, an Add before it
// reads the folder for items, and leaves a living writer's temporary, files of
// a like look and other folders alone.
TEST_F(Creation, TheNextWriterIntoAFolderRemovesWhatAKilledOneLeft) {
  const std::string gone = std::to_string(testing_tools::GoneProcessId());
  // Not this process, whose own temporaries are never stale to it: the
  // parent, which lives as long as the test.
  const std::string living = std::to_string(getppid());
  const struct {
    std::string name;
    bool stale;
  } leftovers[] = {
      {".~pkg.7z." + gone + ".0", true},
      {".~pkg.7z.002." + gone + ".1", true},  // a volume's
      {".~pkg.exe." + gone + ".2", true},
      {".~pkg.7z." + living + ".3", false},
      {".~pkg.7z." + gone, false},  // no counter: not of the scheme
      {".~notes", false},
      {"sub/.~pkg.7z." + gone + ".4", false},  // not the output's folder
  };
  std::vector<std::string> kept;
  for (const auto& leftover : leftovers)
    if (!leftover.stale) kept.push_back(leftover.name);
  std::sort(kept.begin(), kept.end());

  WriteFile(dir / "small.sfx", std::string(70000, 'M'));
  z.SetSFXModule(dir / "small.sfx");
  z.SetAddRootDir(dir / "src");
  z.SetAddOptions(AddRecurseDirs);
  const struct {
    const char* name;
    std::function<bool()> write;
  } writers[] = {
      // Into the folder it adds: a temporary taken as an item would then be
      // missing when it is read.
      {"an Add", [&] { return AddAll("src/pkg.7z", {dir / "src/*.*"}) == 0; }},
      {"a conversion to a self-extractor", [&] { return z.Convert7ztoSFX(dir / "src/pkg.7z"); }},
      {"a conversion back", [&] { return z.ConvertSFXto7z(dir / "src/pkg.exe"); }},
  };
  for (const auto& writer : writers) {
    SCOPED_TRACE(writer.name);
    for (const auto& leftover : leftovers) WriteFile(dir / ("src/" + leftover.name), "left");
    EXPECT_TRUE(writer.write());
    EXPECT_EQ(TemporaryLeftovers(dir / "src"), kept);
  }
}

}  // namespace
