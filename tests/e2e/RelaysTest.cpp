// The relays end to end: the real Updater.exe in a program folder of its own,
// beside a fake main application that records how it was started.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"

namespace {

namespace fs = std::filesystem;
using testing_tools::RecordedCall;
using testing_tools::TempDir;

const std::string kUpdater = std::string(UPDATER_BUILD_DIR) + "/bin/Updater.exe";

std::string Content(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class Relays : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(testing_tools::FakeMainPath(), dir_ / "App.exe");
    fs::copy_file(testing_tools::FakeMainPath(), dir_ / "My App.exe");
  }

  // Runs `exe` with `args` from an unrelated working folder; returns its exit code.
  int Run(const std::string& exe, const std::vector<std::string>& args) {
    const pid_t pid = fork();
    if (pid == 0) {
      if (chdir("/") != 0) _exit(90);
      std::vector<char*> argv;
      std::string program = exe;
      argv.push_back(program.data());
      std::vector<std::string> copies = args;
      for (auto& a : copies) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(exe.c_str(), argv.data());
      _exit(91);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Path(const std::string& name) const { return dir_ / name; }

  TempDir dir_;
};

TEST_F(Relays, UpdaterUpReplacesUpdaterAndStartsTheMainApplication) {
  fs::copy_file(kUpdater, Path("Updater_New.exe"));
  std::ofstream(Path("Updater.exe")) << "old updater";
  chmod(Path("Updater.exe").c_str(), 0755);

  EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP", "App.exe"}), 0);

  EXPECT_EQ(Content(Path("Updater.exe")), Content(kUpdater));
  struct stat st {};
  ASSERT_EQ(stat(Path("Updater.exe").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);
  EXPECT_TRUE(fs::exists(Path("Updater_New.exe")));
  const auto calls = testing_tools::WaitForCalls(Path("App.exe"), 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, std::vector<std::string>{"UPDATER_UP"});
  // The copy step moved the current folder to the program folder.
  EXPECT_EQ(calls[0].workingDir + "/", Path(""));
  // Nothing else is left in the folder: no temporary copy.
  std::vector<std::string> names;
  for (auto& e : fs::directory_iterator(dir_.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"App.exe", "App.exe.calls", "My App.exe",
                                             "Updater.exe", "Updater_New.exe"}));
}

TEST_F(Relays, UpdaterUpReplacesAnUpdaterThatIsRunning) {
  fs::copy_file(kUpdater, Path("Updater.exe"));
  fs::copy_file(kUpdater, Path("Updater_New.exe"));
  // Make the new copy differ, so that the replacement shows.
  { std::ofstream(Path("Updater_New.exe"), std::ios::app) << "new build"; }
  // The old updater runs a relay of its own (it sleeps a second first).
  const pid_t running = fork();
  if (running == 0) {
    execl(Path("Updater.exe").c_str(), "Updater.exe", "LANG_CHANGE", "", "My App.exe", nullptr);
    _exit(91);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP", "App.exe"}), 0);
  EXPECT_EQ(Content(Path("Updater.exe")), Content(Path("Updater_New.exe")));
  waitpid(running, nullptr, 0);
  EXPECT_EQ(testing_tools::WaitForCalls(Path("App.exe"), 1).size(), 1u);
}

TEST_F(Relays, UpdaterUpStartsTheApplicationEvenWhenTheCopyFails) {
  fs::copy_file(kUpdater, Path("Updater_New.exe"));
  // A folder in the way cannot be replaced by a file, even by root.
  fs::create_directories(Path("Updater.exe/keep"));
  EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP", "App.exe"}), 0);
  EXPECT_TRUE(fs::is_directory(Path("Updater.exe/keep")));
  const auto calls = testing_tools::WaitForCalls(Path("App.exe"), 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, std::vector<std::string>{"UPDATER_UP"});
}

TEST_F(Relays, LangChangeIgnoresParameterTwoAndQuotesTheName) {
  fs::copy_file(kUpdater, Path("Updater.exe"));
  EXPECT_EQ(Run(Path("Updater.exe"), {"LANG_CHANGE", "ignored", "My App.exe", "extra"}), 0);
  const auto calls = testing_tools::WaitForCalls(Path("My App.exe"), 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"LANG_CHANGE", "My App.exe"}));
  EXPECT_EQ(calls[0].workingDir, "/");  // inherited from the caller
}

TEST_F(Relays, AnythingElseEndsQuietly) {
  fs::copy_file(kUpdater, Path("Updater.exe"));
  const std::vector<std::vector<std::string>> cases = {
      {},
      {""},
      {"main_up", "1.0", "App.exe", "1", "http://127.0.0.1/x.7z"},
      {"Updater_Up", "App.exe"},
      {"lang_change", "x", "App.exe"},
      {"UNKNOWN", "App.exe"}};
  for (const auto& args : cases) EXPECT_EQ(Run(Path("Updater.exe"), args), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(testing_tools::ReadCalls(Path("App.exe")).empty());
}

TEST_F(Relays, UpdaterUpWithoutANameStartsNothing) {
  fs::copy_file(kUpdater, Path("Updater_New.exe"));
  EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP"}), 0);
  EXPECT_EQ(Content(Path("Updater.exe")), Content(kUpdater));
}

}  // namespace
