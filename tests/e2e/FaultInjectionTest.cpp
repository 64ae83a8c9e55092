// The real Updater.exe against a program folder that fails under it: a folder
// it cannot write, a disk that fills, a folder where a file should be, and
// being killed in the middle of unpacking. Mounts are made in a private mount
// namespace of the test process, which the updater inherits.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <thread>

#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/faults/FolderState.h"
#include "tests/tools/faults/GoneProcess.h"
#include "tests/tools/faults/Mounts.h"
#include "tests/tools/update/UpdateFixtures.h"
#include "tests/tools/update/UpdaterProcess.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_tools;

const std::string kUpdater = std::string(UPDATER_BUILD_DIR) + "/bin/Updater.exe";

class FaultInjection : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Before any thread of the test exists, so every later one shares it.
    namespaceReady_ = EnterPrivateMountNamespace(&namespaceProblem_);
    if (!namespaceReady_) return;
    // A namespace of our own does not promise that every mount is allowed.
    try {
      TempDir probe;
      ScopedMount tmpfs = ScopedMount::Tmpfs(probe.path(), 1 << 20);
      ScopedMount readOnly = ScopedMount::ReadOnly(probe.path());
    } catch (const std::exception& e) {
      namespaceReady_ = false;
      namespaceProblem_ = e.what();
    }
  }

  void SetUp() override { fs::create_directories(program_); }

  void NeedMounts() {
    if (!namespaceReady_) GTEST_SKIP() << "mounting is not allowed here: " << namespaceProblem_;
  }

  // Updater.exe and App.exe in the program folder, then `files`.
  void Install(const std::map<std::string, std::string>& files) {
    fs::copy_file(kUpdater, Program("Updater.exe"));
    fs::copy_file(FakeMainPath(), Program("App.exe"));
    for (const auto& [name, content] : files) WriteFile(Program(name), content);
    // A copy to compare with, its times and modes kept.
    fs::remove_all(installed_);
    if (std::system(("cp -a '" + program_ + "' '" + installed_ + "'").c_str()) != 0)
      ADD_FAILURE() << "cannot copy the installation";
  }

  static FolderState Exact(const std::string& folder) {
    return ReadFolderState(folder, FolderDetail::ContentsModesAndTimes);
  }

  std::string Program(const std::string& name) const { return program_ + "/" + name; }
  std::vector<std::string> Arguments(const std::string& path) const {
    return {"MAIN_UP", "2.0", "App.exe", "0", server_.url(path)};
  }

  // The run of a 7z package that cannot be unpacked: eleven attempts, then
  // the installer package of the same URL, started and waited for.
  void ExpectFallbackToTheInstaller(const std::string& name) {
    UpdaterProcess updater(Program("Updater.exe"), Arguments("/rel/p.7z"), program_);
    ASSERT_EQ(updater.Wait(60000), 0) << name;
    EXPECT_EQ(server_.Requests(), (std::vector<std::string>{"/rel/p.7z", "/rel/p.exe"})) << name;
    const auto records = NamesStartingWith(program_, "patch_");
    ASSERT_EQ(records.size(), 1u) << name;  // the installer's record; the packages are gone
    EXPECT_TRUE(records[0].ends_with(".exe.calls")) << records[0];
    fs::remove(Program(records[0]));
    EXPECT_TRUE(ReadCalls(Program("App.exe")).empty()) << name;
    EXPECT_TRUE(TemporaryLeftovers(program_).empty()) << name;
  }

  // `files` as the 7z package /rel/p.7z, and the fake installer as /rel/p.exe
  // for the fallback; returns the package's bytes.
  std::string ServePackageAndInstaller(const std::map<std::string, std::string>& files,
                                       const std::string& switches = {}) {
    const std::string package = dir_ / "package";
    for (const auto& [name, content] : files) WriteFile(package + "/" + name, content);
    std::string archive = MakeArchive(package, "7z", switches);
    server_.Serve("/rel/p.7z", archive);
    server_.Serve("/rel/p.exe", ReadFile(FakeMainPath()));
    return archive;
  }

  // Kills a run of the 7z package once some of the installation's files are
  // new and others not yet; returns the old and the new files.
  std::pair<std::map<std::string, std::string>, std::map<std::string, std::string>> KillMidway() {
    constexpr int kFiles = 12;
    constexpr size_t kSize = 6 << 20;
    const std::string package = dir_ / "package";
    std::map<std::string, std::string> oldFiles, newFiles;
    for (int i = 0; i < kFiles; ++i) {
      const std::string name = "data/f" + std::to_string(i) + ".bin";
      oldFiles[name] = Noise(kSize, 100 + i);
      newFiles[name] = Noise(kSize, 200 + i);
      WriteFile(package + "/" + name, newFiles[name]);
    }
    WriteFile(package + "/data/added/n.txt", "a file of a new folder");
    server_.Serve("/p.7z", MakeArchive(package, "7z", "-mx1"));
    Install(oldFiles);

    auto inode = [&](const std::string& name) {
      struct stat s {};
      return ::stat(Program(name).c_str(), &s) == 0 ? s.st_ino : 0;
    };
    std::map<std::string, ino_t> oldInodes;
    for (const auto& [name, content] : oldFiles) oldInodes[name] = inode(name);
    UpdaterProcess first(Program("Updater.exe"), Arguments("/p.7z"), program_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    bool midway = false;
    while (!midway && std::chrono::steady_clock::now() < deadline) {
      int replaced = 0;
      for (const auto& [name, ino] : oldInodes) replaced += inode(name) != ino;
      midway = replaced > 0 && replaced < kFiles;
      if (!midway) std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    EXPECT_TRUE(midway) << "the unpacking was never seen half done";
    first.Kill();
    int newCount = 0;
    for (const auto& [name, content] : newFiles) newCount += ReadFile(Program(name)) == content;
    EXPECT_GT(newCount, 0);
    EXPECT_LT(newCount, kFiles);
    return {oldFiles, newFiles};
  }

  static inline bool namespaceReady_ = false;
  static inline std::string namespaceProblem_;
  TempDir dir_;
  const std::string program_ = dir_.path() + "/app";
  const std::string installed_ = dir_.path() + "/installed";
  PackageServer server_;
};

TEST_F(FaultInjection, ReadOnlyFolderKeepsItsFilesAndTheRunFallsBackToTheInstaller) {
  NeedMounts();
  ServePackageAndInstaller({{"data/a.txt", "new a"}, {"data/sub/b.txt", "new b"}});
  Install({{"data/a.txt", "old a"}, {"data/sub/b.txt", "old b"}});
  const FolderState before = Exact(program_);
  // Root writes through permission bits, not through a read-only mount.
  auto readOnly = ScopedMount::ReadOnly(Program("data"));

  ExpectFallbackToTheInstaller("read-only");
  readOnly.Undo();
  const FolderState after = Exact(program_);
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
}

TEST_F(FaultInjection, FullDiskKeepsEveryOldFileWholeAndTheRunFallsBackToTheInstaller) {
  NeedMounts();
  const std::map<std::string, std::string> files = {{"data/small.txt", "new small"},
                                                    {"data/big.bin", Noise(2 << 20, 1)}};
  const std::string archive = ServePackageAndInstaller(files, "-mx0");
  auto disk = ScopedMount::Tmpfs(program_, 64 << 20);
  Install({{"data/small.txt", "old small"}, {"data/big.bin", Noise(1 << 20, 2)}});
  const FolderState before = Exact(program_);
  // Room for the package and a little more, not for the big file beside it.
  struct statvfs disk_state {};
  ASSERT_EQ(statvfs(program_.c_str(), &disk_state), 0);
  const size_t used = (disk_state.f_blocks - disk_state.f_bfree) * disk_state.f_frsize;
  const size_t room = used + archive.size() + (256 << 10);
  disk.Resize(room);

  ExpectFallbackToTheInstaller("full disk");
  // The installer found, and left, the installation exactly as it was.
  const FolderState after = Exact(program_);
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
}

TEST_F(FaultInjection, FolderInPlaceOfAFileIsKept) {
  const std::map<std::string, std::string> files = {{"data/a.txt", "new a"},
                                                    {"data/c.txt", "new c"}};
  ServePackageAndInstaller(files);
  Install({{"data/a.txt/inside.txt", "kept"}, {"data/c.txt", "old c"}});
  const FolderState before = Exact(program_);

  ExpectFallbackToTheInstaller("folder in place");
  const FolderState after = Exact(program_);
  EXPECT_TRUE(after == before) << DescribeChanges(before, after);
}

// A run killed in the middle of unpacking leaves its journal; the next start
// of Updater.exe in that folder, in any of its modes, makes the installation
// exactly what it was before anything else.
TEST_F(FaultInjection, KilledInTheMiddleOfUnpackingAnyNextStartRestoresTheExactOldTree) {
  const struct {
    const char* name;
    std::vector<std::string> args;
    bool endsByItself;
  } cases[] = {
      // Its download fails: it then waits on the message, which nobody answers here.
      {"a run whose download fails",
       {"MAIN_UP", "2.0", "App.exe", "0", "http://127.0.0.1:9/p.7z"},
       false},
      {"the language relay", {"LANG_CHANGE", "x", "App.exe"}, true},
      {"a new updater's relay", {"UPDATER_UP", "App.exe"}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(program_);
    fs::create_directories(program_);
    KillMidway();
    ASSERT_FALSE(TemporaryLeftovers(program_).empty()) << "the killed run left no journal";
    fs::remove_all(dir_ / "package");

    UpdaterProcess second(Program("Updater.exe"), c.args, program_);
    const auto restored = [&] {
      return TemporaryLeftovers(program_).empty() && !fs::exists(Program("data/added"));
    };
    if (c.endsByItself)
      ASSERT_EQ(second.Wait(30000), 0);
    else
      ASSERT_TRUE(WaitUntil(restored, 30000));
    second.Kill();
    EXPECT_TRUE(restored());
    FolderState after = Exact(program_);
    FolderState expected = Exact(installed_);
    after.erase("App.exe.calls");
    // The relay copies itself over Updater.exe: the same bytes, a new file.
    if (c.args[0] == "UPDATER_UP") {
      EXPECT_EQ(ReadFile(Program("Updater.exe")), ReadFile(installed_ + "/Updater.exe"));
      after.erase("Updater.exe");
      expected.erase("Updater.exe");
    }
    // The failed run's own package, which it kept while it waited.
    for (const std::string& name : NamesStartingWith(program_, "patch_")) after.erase(name);
    EXPECT_TRUE(after == expected) << DescribeChanges(expected, after);
  }
}

TEST_F(FaultInjection, KilledInTheMiddleOfUnpackingTheNextRunLandsTheWholeNewTree) {
  const auto [oldFiles, newFiles] = KillMidway();
  // Temporaries of the one scheme: one of a process that is gone, beside
  // files of the same look that must stay: one of a living process and one
  // that is not ours.
  WriteFile(Program("data/.~x.txt." + std::to_string(GoneProcessId()) + ".7"),
            "left by a killed run");
  const std::string living = "data/.~x.txt." + std::to_string(getpid()) + ".8";
  WriteFile(Program(living), "still being written");
  WriteFile(Program("data/.~notes"), "the user's");

  UpdaterProcess second(Program("Updater.exe"), Arguments("/p.7z"), program_);
  ASSERT_EQ(second.Wait(60000), 0);
  EXPECT_EQ(WaitForCalls(Program("App.exe"), 1, 10000).size(), 1u);
  // Exactly the new tree: nothing of the journal, the originals or the
  // packages; the user's file and the living writer's stay.
  FolderState expected;
  for (const auto& [name, content] : newFiles) expected[name] = content;
  expected["data/added/n.txt"] = "a file of a new folder";
  FolderState after = ReadFolderState(program_);
  for (const char* name : {"Updater.exe", "App.exe", "App.exe.calls", "version.ini"})
    EXPECT_EQ(after.erase(name), 1u) << name;
  EXPECT_EQ(after.erase(living), 1u);
  EXPECT_EQ(after.erase("data/.~notes"), 1u);
  for (const char* folder : {"data", "data/added"}) EXPECT_EQ(after.erase(folder), 1u) << folder;
  EXPECT_TRUE(after == expected) << DescribeChanges(expected, after);
  EXPECT_NE(ReadFile(Program("version.ini")).find("version=2.0"), std::string::npos);
  EXPECT_EQ(ReadFile(Program("data/.~notes")), "the user's");
}

TEST_F(FaultInjection, ZipRunRemovesTheTemporaryFilesOfAKilledRun) {
  const std::string package = dir_ / "package";
  WriteFile(package + "/lib/x.txt", "new x");
  server_.Serve("/p.zip", MakeArchive(package, "zip"));
  Install({{"lib/x.txt", "old x"}});
  // What a zip extraction killed while writing lib/x.txt leaves, beside files
  // of the same look that must stay.
  WriteFile(Program("lib/.~x.txt." + std::to_string(GoneProcessId()) + ".3"), "left by a kill");
  const std::string living = "lib/.~x.txt." + std::to_string(getpid()) + ".4";
  WriteFile(Program(living), "still being written");
  WriteFile(Program("lib/.~notes"), "the user's");

  UpdaterProcess updater(Program("Updater.exe"), Arguments("/p.zip"), program_);
  ASSERT_EQ(updater.Wait(30000), 0);
  EXPECT_EQ(ReadFile(Program("lib/x.txt")), "new x");
  EXPECT_EQ(TemporaryLeftovers(program_), (std::vector<std::string>{"lib/.~notes", living}));
  EXPECT_EQ(WaitForCalls(Program("App.exe"), 1, 10000).size(), 1u);
}

}  // namespace
