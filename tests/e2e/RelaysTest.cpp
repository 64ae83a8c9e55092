// The relays end to end: the real Updater.exe in a program folder of its own,
// beside a fake main application that records how it was started.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/e2e/RelaysSupport.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/Processes.h"
#include "tests/tools/Utf8Path.h"

namespace {

namespace fs = std::filesystem;
using testing_tools::RunProgram;
using testing_tools::U8Path;

TEST_F(Relays, UpdaterUpReplacesUpdaterAndStartsTheMainApplication) {
  fs::copy_file(kUpdater, Path("Updater_New.exe"));
  WriteText(Path("Updater.exe"), "old updater");

  EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP", "App.exe"}), 0);

  EXPECT_EQ(Content(Path("Updater.exe")), Content(kUpdater));
  EXPECT_TRUE(fs::exists(Path("Updater_New.exe")));
  const auto calls = testing_tools::WaitForCalls(Path("App.exe"), 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, std::vector<std::string>{"UPDATER_UP"});
  // The copy step moved the current folder to the program folder.
  EXPECT_EQ(calls[0].workingDir + kSeparator, Path(""));
  // Nothing else is left in the folder: no temporary copy.
  EXPECT_EQ(Names(), (std::vector<std::string>{"App.exe", "App.exe.calls", "My App.exe",
                                               "Updater.exe", "Updater_New.exe", kKoreanApp}));
}

TEST_F(Relays, UpdaterUpReplacesAnUpdaterThatIsRunning) {
  fs::copy_file(kUpdater, Path("Updater.exe"));
  fs::copy_file(kUpdater, Path("Updater_New.exe"));
  // Make the new copy differ, so that the replacement shows.
  {
    std::ofstream(U8Path(Path("Updater_New.exe")), std::ios::app | std::ios::binary) << "new build";
  }
  // The old updater runs a relay of its own (it sleeps a second first).
  testing_tools::StartedProgram running(Path("Updater.exe"), {"LANG_CHANGE", "", "My App.exe"},
                                        elsewhere_.path());
  ASSERT_TRUE(running.started());
  std::this_thread::sleep_for(std::chrono::milliseconds(200));

  EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP", "App.exe"}), 0);
  EXPECT_EQ(Content(Path("Updater.exe")), Content(Path("Updater_New.exe")));
  EXPECT_EQ(running.Wait(), 0);
  EXPECT_EQ(testing_tools::WaitForCalls(Path("App.exe"), 1).size(), 1u);
  // The old one ran on to its end.
  EXPECT_EQ(testing_tools::WaitForCalls(Path("My App.exe"), 1).size(), 1u);
}

TEST_F(Relays, UpdaterUpStartsTheApplicationEvenWhenTheCopyFails) {
  fs::copy_file(kUpdater, Path("Updater_New.exe"));
  // A folder in the way cannot be replaced by a file, even by root.
  fs::create_directories(U8Path(Path("Updater.exe")) / "keep");
  EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP", "App.exe"}), 0);
  EXPECT_TRUE(fs::is_directory(U8Path(Path("Updater.exe")) / "keep"));
  const auto calls = testing_tools::WaitForCalls(Path("App.exe"), 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, std::vector<std::string>{"UPDATER_UP"});
}

TEST_F(Relays, NamesWithBlanksAndKoreanLettersArriveAsOneParameter) {
  fs::copy_file(kUpdater, Path("Updater.exe"));
  fs::copy_file(kUpdater, Path("Updater_New.exe"));
  EXPECT_EQ(Run(Path("Updater.exe"), {"LANG_CHANGE", "ignored", kKoreanApp, "extra"}), 0);
  EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP", kKoreanApp}), 0);
  const auto calls = testing_tools::WaitForCalls(Path(kKoreanApp), 2);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"LANG_CHANGE", kKoreanApp}));
  EXPECT_EQ(calls[1].args, std::vector<std::string>{"UPDATER_UP"});
}

TEST_F(Relays, LangChangeIgnoresParameterTwoAndQuotesTheName) {
  fs::copy_file(kUpdater, Path("Updater.exe"));
  EXPECT_EQ(Run(Path("Updater.exe"), {"LANG_CHANGE", "ignored", "My App.exe", "extra"}), 0);
  const auto calls = testing_tools::WaitForCalls(Path("My App.exe"), 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (std::vector<std::string>{"LANG_CHANGE", "My App.exe"}));
  EXPECT_EQ(calls[0].workingDir, elsewhere_.path());  // inherited from the caller
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
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"App.exe", "My App.exe", "Updater.exe", kKoreanApp}));
}

}  // namespace
