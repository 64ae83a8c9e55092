#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/Files.h"
#include "tests/tools/TempDir.h"

namespace {

using testing_tools::TempDir;

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}
std::string Read(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
mode_t Mode(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(Files, CopyKeepsPermissionBits) {
  TempDir dir;
  Write(dir / "a", "new");
  chmod((dir / "a").c_str(), 0750);
  Write(dir / "b", "old content that is longer");
  EXPECT_TRUE(platform::CopyFile(dir / "a", dir / "b"));
  EXPECT_EQ(Mode(dir / "b"), 0750u);
}

TEST(Files, AtomicCopyLeavesNoTemporaryAndReplacesARunningTarget) {
  TempDir dir;
  Write(dir / "src", "payload");
  chmod((dir / "src").c_str(), 0755);
  Write(dir / "dst", "old");
  // An open descriptor stands for the target being in use: the rename
  // replaces the name, the old content stays readable through the descriptor.
  std::ifstream held(dir / "dst");
  EXPECT_TRUE(platform::CopyFileAtomic(dir / "src", dir / "dst"));
  EXPECT_EQ(Read(dir / "dst"), "payload");
  EXPECT_EQ(Mode(dir / "dst"), 0755u);
  std::string old;
  held >> old;
  EXPECT_EQ(old, "old");
  size_t entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 2u);
}

TEST(Files, RemoveTreeDoesNotFollowLinks) {
  TempDir dir;
  std::filesystem::create_directories(dir / "outside");
  Write(dir / "outside/keep", "k");
  std::filesystem::create_directories(dir / "tree/sub");
  Write(dir / "tree/sub/f", "f");
  std::filesystem::create_directory_symlink(dir / "outside", dir / "tree/link");
  EXPECT_TRUE(platform::RemoveTree(dir / "tree"));
  EXPECT_FALSE(platform::DirectoryExists(dir / "tree"));
  EXPECT_EQ(Read(dir / "outside/keep"), "k");
}

}  // namespace
