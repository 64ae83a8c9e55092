// Whole update runs of the real Updater.exe, in a program folder of its own,
// beside a fake main application, against a package server on 127.0.0.1.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/faults/FolderState.h"
#include "tests/tools/update/UpdateFixtures.h"
#include "tests/tools/update/UpdaterProcess.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_tools;

const std::string kUpdater = std::string(UPDATER_BUILD_DIR) + "/bin/Updater.exe";

class UpdateRun : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(program_);
    fs::copy_file(kUpdater, program_ + "/Updater.exe");
    fs::copy_file(FakeMainPath(), program_ + "/App.exe");
  }

  std::string Program(const std::string& name) const { return program_ + "/" + name; }

  TempDir dir_;
  const std::string program_ = dir_.path() + "/app";
  PackageServer server_;
};

TEST_F(UpdateRun, SevenZipPackageWithANewUpdaterRunsTheWholeChain) {
  const std::string package = dir_ / "package";
  WriteFile(package + "/data/sub/file.txt", "new content");
  WriteFile(package + "/data/empty.txt", "");
  WriteFile(package + "/script.dat", "DIR CREATE made\r\nFILE DELETE old.txt\r\n");
  // A new updater that differs from the running one.
  WriteFile(package + "/Updater_New.exe", ReadFile(kUpdater) + "new build");
  fs::permissions(package + "/Updater_New.exe", fs::perms::owner_all);
  server_.Serve("/patch/app.7z", MakeArchive(package, "7z"));
  WriteFile(Program("data/sub/file.txt"), "old content");
  WriteFile(Program("old.txt"), "to go");
  WriteFile(Program("version.ini"), "; kept\n[config]\nversion=2.0.0\n[ui]\nlang=ko\n");

  UpdaterProcess updater(Program("Updater.exe"),
                         {"MAIN_UP", "2.1.0", "App.exe", "0", server_.url("/patch/app.7z")},
                         program_);
  EXPECT_EQ(updater.Wait(30000), 0);

  // The new updater replaces Updater.exe and restarts the application.
  const auto calls = WaitForCalls(Program("App.exe"), 1, 10000);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, std::vector<std::string>{"UPDATER_UP"});
  EXPECT_TRUE(WaitUntil(
      [&] { return ReadFile(Program("Updater.exe")) == ReadFile(kUpdater) + "new build"; }, 5000));
  EXPECT_TRUE(fs::exists(Program("Updater_New.exe")));

  EXPECT_EQ(ReadFile(Program("data/sub/file.txt")), "new content");
  EXPECT_TRUE(fs::exists(Program("data/empty.txt")));
  EXPECT_TRUE(fs::is_directory(Program("made")));
  EXPECT_FALSE(fs::exists(Program("old.txt")));  // the script ran in the program folder
  EXPECT_EQ(ReadFile(Program("version.ini")), "; kept\n[config]\nversion=2.1.0\n[ui]\nlang=ko\n");
  // Exactly the new installation: no package, script, journal, original or
  // temporary file of the run is left.
  std::vector<std::string> names;
  for (const auto& [name, content] : ReadFolderState(program_)) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "App.exe", "App.exe.calls", "Updater.exe", "Updater_New.exe", "data",
                       "data/empty.txt", "data/sub", "data/sub/file.txt", "made", "version.ini"}));
}

TEST_F(UpdateRun, ZipPackageLandsUnderTheCurrentFolderAndRestartsTheApplication) {
  const std::string package = dir_ / "package";
  WriteFile(package + "/lib/x.txt", "zip entry");
  server_.Serve("/p.zip", MakeArchive(package, "zip"));
  const std::string elsewhere = dir_ / "current";
  fs::create_directories(elsewhere);

  UpdaterProcess updater(Program("Updater.exe"),
                         {"MAIN_UP", "3.0", "App.exe", "0", server_.url("/p.zip")}, elsewhere);
  EXPECT_EQ(updater.Wait(30000), 0);

  EXPECT_EQ(ReadFile(elsewhere + "/lib/x.txt"), "zip entry");
  EXPECT_FALSE(fs::exists(Program("lib")));
  const auto calls = WaitForCalls(Program("App.exe"), 1, 5000);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"UPDATER_UP", "App.exe"}));
  EXPECT_EQ(calls[0].workingDir, elsewhere);
  EXPECT_NE(ReadFile(Program("version.ini")).find("version=3.0"), std::string::npos);
  EXPECT_TRUE(NamesStartingWith(program_, "patch_").empty());
}

TEST_F(UpdateRun, InstallerPackageIsStartedSilentlyAndWaitedFor) {
  // The installer is a fake program that records how it was started; it is
  // served without an execute bit, as a package made elsewhere arrives.
  server_.Serve("/setup.exe", ReadFile(FakeMainPath()));
  UpdaterProcess updater(Program("Updater.exe"),
                         {"MAIN_UP", "4.0", "App.exe", "0", server_.url("/setup.exe")}, program_);
  EXPECT_EQ(updater.Wait(30000), 0);

  const auto records = NamesStartingWith(program_, "patch_");
  ASSERT_EQ(records.size(), 1u);  // the installer's record; the package itself is gone
  const std::string record = records[0];
  ASSERT_TRUE(record.ends_with(".exe.calls")) << record;
  const std::string installer = Program(record.substr(0, record.size() - 6));
  const auto calls = ReadCalls(installer);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"/verysilent", "/patch=" + installer}));
  EXPECT_FALSE(fs::exists(installer));
  EXPECT_FALSE(fs::exists(Program("version.ini")));
  EXPECT_TRUE(ReadCalls(Program("App.exe")).empty());
}

}  // namespace
