// Process trees of the Windows fake main application: each copy starts the
// programs named in its ".start" file and holds on.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Process.h"
#include "platform/ProcessExists.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/Wait.h"
#include "util/QVUtils.h"

namespace {

using testing_tools::TempDir;
using testing_tools::WaitUntil;

// A copy of the fake main at `dir / name` that starts `children` and holds.
std::string HoldingCopy(const TempDir& dir, const std::string& name,
                        const std::vector<std::string>& children = {}) {
  const std::string path = dir / name;
  std::filesystem::copy_file(testing_tools::FakeMainPath(), path);
  std::ofstream(path + ".hold").close();
  std::ofstream start(path + ".start");
  for (const auto& child : children) start << child << '\n';
  return path;
}

TEST(KillProcessAndChildren, EndsTheProcessAndItsChildButNotTheGrandchild) {
  TempDir dir;
  const std::string grandchild = HoldingCopy(dir, "grandchild.exe");
  const std::string child = HoldingCopy(dir, "child.exe", {grandchild});
  const std::string main = HoldingCopy(dir, "main.exe", {child});
  uint32_t mainPid = 0;
  ASSERT_EQ(LaunchProcess(main, "", platform::kShowNormal, mainPid), 0u);
  const uint32_t childPid = testing_tools::WaitForPid(child);
  const uint32_t grandchildPid = testing_tools::WaitForPid(grandchild);
  ASSERT_NE(childPid, 0u);
  ASSERT_NE(grandchildPid, 0u);

  EXPECT_TRUE(KillProcessAndChildren(mainPid));
  EXPECT_TRUE(WaitUntil([&] { return !IsProcessRunning(mainPid); }, 5000));
  EXPECT_TRUE(WaitUntil([&] { return !IsProcessRunning(childPid); }, 5000));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(IsProcessRunning(grandchildPid));
  EXPECT_TRUE(KillProcessAndChildren(grandchildPid));
  EXPECT_TRUE(WaitUntil([&] { return !IsProcessRunning(grandchildPid); }, 5000));
}

// The updater is normally a child of the main application it ends.
TEST(KillProcessAndChildren, EndsTheChildrenOfTheCallerButNeverTheCaller) {
  TempDir dir;
  const std::string child = HoldingCopy(dir, "child.exe");
  uint32_t childPid = 0;
  ASSERT_EQ(LaunchProcess(child, "", platform::kShowNormal, childPid), 0u);
  ASSERT_EQ(testing_tools::WaitForPid(child), childPid);
  EXPECT_TRUE(KillProcessAndChildren(platform::CurrentProcessId()));
  EXPECT_TRUE(WaitUntil([&] { return !IsProcessRunning(childPid); }, 5000));
}

}  // namespace
