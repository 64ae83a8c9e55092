#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Process.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "util/QVUtils.h"

namespace {

using testing_tools::TempDir;

std::string CopyFakeMain(const TempDir& dir, const std::string& name) {
  const std::string path = dir / name;
  std::filesystem::copy_file(testing_tools::FakeMainPath(), path);
  return path;
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

TEST(LaunchProcess, MissingProgramGivesFileNotFoundAndNoId) {
  TempDir dir;
  uint32_t pid = 12345;
  EXPECT_EQ(LaunchProcess(dir / "missing.exe", "", SW_SHOWNORMAL, pid), 2u);
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
    ASSERT_EQ(LaunchProcess(program, cases[i].parameters, SW_SHOWNORMAL, pid), 0u);
    EXPECT_NE(pid, 0u);
    const auto calls = testing_tools::WaitForCalls(program, i + 1);
    ASSERT_EQ(calls.size(), i + 1);
    EXPECT_EQ(calls[i].args, cases[i].expected);
    EXPECT_EQ(calls[i].workingDir, std::filesystem::current_path().string());
    EXPECT_TRUE(WaitUntil([&] { return !IsProcessRunning(pid); }));
  }
}

TEST(IsProcessRunning, Cases) {
  EXPECT_TRUE(IsProcessRunning(static_cast<uint32_t>(getpid())));
  EXPECT_TRUE(IsProcessRunning(0));  // the idle task; callers test 0 themselves
  EXPECT_FALSE(IsProcessRunning(0x7FFFFFF0u));

  // An ended child that nobody collected yet is not running.
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsProcessRunning(static_cast<uint32_t>(child)); }));
  EXPECT_EQ(waitpid(child, nullptr, WNOHANG), -1);  // collected along the way
}

// A child that starts a grandchild and reports the grandchild's id.
struct ProcessTree {
  pid_t child = 0;
  pid_t grandchild = 0;
};

ProcessTree StartTree() {
  int fds[2];
  if (pipe(fds) != 0) return {};
  ProcessTree tree;
  tree.child = fork();
  if (tree.child == 0) {
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      while (true) pause();
    }
    (void)!write(fds[1], &grandchild, sizeof grandchild);
    while (true) pause();
  }
  close(fds[1]);
  if (read(fds[0], &tree.grandchild, sizeof tree.grandchild) != sizeof tree.grandchild)
    tree.grandchild = 0;
  close(fds[0]);
  return tree;
}

bool Alive(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return false;
  return line[line.rfind(')') + 2] != 'Z';
}

TEST(KillProcessAndChildren, EndsTheProcessAndItsChildButNotTheGrandchild) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t main = fork();
  if (main == 0) {
    const ProcessTree tree = StartTree();
    (void)!write(fds[1], &tree, sizeof tree);
    while (true) pause();
  }
  close(fds[1]);
  ProcessTree below;
  ASSERT_EQ(read(fds[0], &below, sizeof below), static_cast<ssize_t>(sizeof below));
  close(fds[0]);

  EXPECT_TRUE(KillProcessAndChildren(static_cast<uint32_t>(main)));
  EXPECT_TRUE(WaitUntil([&] { return !Alive(main); }));
  EXPECT_TRUE(WaitUntil([&] { return !Alive(below.child); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(Alive(below.grandchild));
  kill(below.grandchild, SIGKILL);
  waitpid(main, nullptr, 0);
}

TEST(KillProcessAndChildren, NeverEndsTheCaller) {
  // The caller is a child of the process it ends, as the updater is a child
  // of the main application that started it.
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t main = fork();
  if (main == 0) {
    if (fork() == 0) {
      const bool ended = KillProcessAndChildren(static_cast<uint32_t>(getppid()));
      (void)!write(fds[1], ended ? "1" : "0", 1);
      _exit(0);
    }
    while (true) pause();
  }
  close(fds[1]);
  char answer = 0;
  EXPECT_EQ(read(fds[0], &answer, 1), 1);  // the caller lived to answer
  EXPECT_EQ(answer, '1');
  close(fds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(main, &status, 0), main);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

TEST(KillProcessAndChildren, NothingToEnd) {
  EXPECT_FALSE(KillProcessAndChildren(0x7FFFFFF0u));
}

TEST(KillProcessAndChildren, AProcessWeMayNotSignalRaises) {
  if (geteuid() != 0 || access("/proc/1/stat", R_OK) != 0) GTEST_SKIP() << "needs root";
  // As another user, signalling a root-owned process fails: "Failed to open process".
  const pid_t child = fork();
  if (child == 0) {
    if (setuid(65534) != 0) _exit(2);
    try {
      KillProcessAndChildren(1);
    } catch (const std::runtime_error& e) {
      _exit(std::string(e.what()) == "Failed to open process" ? 0 : 3);
    }
    _exit(4);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
