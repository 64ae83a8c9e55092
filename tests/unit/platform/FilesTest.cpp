#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Files.h"
#include "tests/tools/TempDir.h"

namespace {

using testing_tools::TempDir;

void Write(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}
std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Files, CopyReplacesUnlessToldNot) {
  TempDir dir;
  Write(dir / "a", "new");
  Write(dir / "b", "old content that is longer");
  EXPECT_TRUE(platform::CopyFile(dir / "a", dir / "b"));
  EXPECT_EQ(Read(dir / "b"), "new");
  Write(dir / "b", "old");
  EXPECT_FALSE(platform::CopyFile(dir / "a", dir / "b", /*failIfExists=*/true));
  EXPECT_EQ(Read(dir / "b"), "old");
  EXPECT_FALSE(platform::CopyFile(dir / "missing", dir / "c"));
  EXPECT_FALSE(platform::CopyFile(dir / "a", dir / "a"));  // onto itself: refused, content kept
  EXPECT_EQ(Read(dir / "a"), "new");
  EXPECT_FALSE(platform::FileExists(dir / "c"));
}

TEST(Files, AtomicCopyLeavesNoTemporary) {
  TempDir dir;
  Write(dir / "src", "payload");
  Write(dir / "dst", "old");
  EXPECT_TRUE(platform::CopyFileAtomic(dir / "src", dir / "dst"));
  EXPECT_EQ(Read(dir / "dst"), "payload");
  size_t entries = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 2u);
}

TEST(Files, AtomicCopyIntoAMissingFolderFailsWithoutTrace) {
  TempDir dir;
  Write(dir / "src", "x");
  EXPECT_FALSE(platform::CopyFileAtomic(dir / "src", dir / "no/such/target"));
  EXPECT_FALSE(platform::CopyFileAtomic(dir / "nothing", dir / "target"));
  EXPECT_FALSE(platform::FileExists(dir / "target"));
}

TEST(Files, MoveNeverReplaces) {
  TempDir dir;
  Write(dir / "a", "a");
  Write(dir / "b", "b");
  EXPECT_FALSE(platform::MoveFileNoReplace(dir / "a", dir / "b"));
  EXPECT_EQ(Read(dir / "b"), "b");
  EXPECT_TRUE(platform::MoveFileNoReplace(dir / "a", dir / "c"));
  EXPECT_FALSE(platform::FileExists(dir / "a"));
  EXPECT_EQ(Read(dir / "c"), "a");
}

TEST(Files, ProgramFolderEndsWithSeparatorAndHoldsTheExecutable) {
  const std::string folder = platform::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), platform::kPathSeparator);
  EXPECT_EQ(platform::ExecutablePath().rfind(folder, 0), 0u);
}

TEST(Files, DeleteFileRefusesFolders) {
  TempDir dir;
  std::filesystem::create_directory(dir / "d");
  EXPECT_FALSE(platform::DeleteFile(dir / "d"));
  EXPECT_TRUE(platform::DirectoryExists(dir / "d"));
  EXPECT_FALSE(platform::FileExists(dir / "d"));
}

}  // namespace
