#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/Process.h"
#include "platform/ProcessExists.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/Utf8Path.h"
#include "tests/tools/Wait.h"
#include "util/QVUtils.h"

namespace {

using testing_tools::TempDir;
using testing_tools::WaitUntil;

std::string CopyFakeMain(const TempDir& dir, const std::string& name) {
  const std::string path = dir / name;
  std::filesystem::copy_file(testing_tools::FakeMainPath(), path);
  return path;
}

TEST(LaunchProcess, MissingProgramGivesFileNotFoundAndNoId) {
  TempDir dir;
  uint32_t pid = 12345;
  EXPECT_EQ(LaunchProcess(dir / "missing.exe", "", platform::kShowNormal, pid), 2u);
  EXPECT_EQ(pid, 0u);
}

TEST(LaunchProcess, ProgramReceivesTheParametersAsSplitArguments) {
  TempDir dir;
  const std::string program = CopyFakeMain(dir, "setup program.exe");
  const struct {
    std::string parameters;
    std::vector<std::string> expected;
  } cases[] = {
      {"", {}},
      {"/verysilent /patch=\"" + dir.path() + "/patch 1.exe\"",
       {"/verysilent", "/patch=" + dir.path() + "/patch 1.exe"}},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    uint32_t pid = 0;
    ASSERT_EQ(LaunchProcess(program, cases[i].parameters, platform::kShowNormal, pid), 0u);
    EXPECT_NE(pid, 0u);
    const auto calls = testing_tools::WaitForCalls(program, i + 1);
    ASSERT_EQ(calls.size(), i + 1);
    EXPECT_EQ(calls[i].args, cases[i].expected);
    EXPECT_EQ(calls[i].workingDir, testing_tools::U8String(std::filesystem::current_path()));
    EXPECT_TRUE(WaitUntil([&] { return !IsProcessRunning(pid); }, 5000));
  }
}

TEST(IsProcessRunning, Cases) {
  EXPECT_TRUE(IsProcessRunning(platform::CurrentProcessId()));
  EXPECT_TRUE(IsProcessRunning(0));  // the idle task; callers test 0 themselves
  EXPECT_FALSE(IsProcessRunning(0x7FFFFFF0u));
}

TEST(KillProcessAndChildren, NothingToEnd) {
  EXPECT_FALSE(KillProcessAndChildren(0x7FFFFFF0u));
}

}  // namespace
