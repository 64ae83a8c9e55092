#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/tools/TempDir.h"
#include "tests/tools/Wait.h"
#include "util/QVUtils.h"

namespace {

using testing_tools::TempDir;
using testing_tools::WaitUntil;

TEST(IsProcessRunning, AnEndedChildIsNotRunning) {
  // An ended child that nobody collected yet is not running.
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsProcessRunning(static_cast<uint32_t>(child)); }, 5000));
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
  EXPECT_TRUE(WaitUntil([&] { return !Alive(main); }, 5000));
  EXPECT_TRUE(WaitUntil([&] { return !Alive(below.child); }, 5000));
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
