#include "platform/ConfinedFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/tools/ScopedUmask.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/faults/FolderState.h"
#include "tests/tools/faults/GoneProcess.h"

namespace {

namespace fs = std::filesystem;
using platform::ConfinedFolder;
using platform::Result;
using testing_tools::FolderState;
using testing_tools::ReadFolderState;
using testing_tools::TempDir;

void Write(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

mode_t Mode(const std::string& path) {
  struct stat st {};
  lstat(path.c_str(), &st);
  return st.st_mode & 07777;
}

std::unique_ptr<ConfinedFolder> Open(const std::string& base) {
  Result result;
  auto folder = ConfinedFolder::Open(base, &result);
  EXPECT_TRUE(folder) << result.text();
  return folder;
}

Result WriteThrough(ConfinedFolder& folder, const std::vector<std::string>& path,
                    const std::string& content, std::optional<uint32_t> mode = std::nullopt) {
  Result result;
  auto file = folder.CreateFile(path, &result);
  if (!file) return result;
  result = file->Write(content.data(), content.size());
  return result ? file->Commit(mode, std::nullopt) : result;
}

TEST(SplitEntryPath, NamesThatStayBelowTheBaseAndNamesThatDoNot) {
  struct Case {
    const char* name;
    std::vector<std::string> components;
  } good[] = {
      {"a", {"a"}},
      {"a/b.txt", {"a", "b.txt"}},
      {"a\\b.txt", {"a", "b.txt"}},  // written on Windows
      {"a//./b/", {"a", "b"}},
      {"a..b", {"a..b"}},
      {"..a/b", {"..a", "b"}},
      {"a/.../b", {"a", "...", "b"}},
      {".", {}},
  };
  for (const Case& c : good) {
    std::vector<std::string> components;
    EXPECT_TRUE(platform::SplitEntryPath(c.name, &components)) << c.name;
    EXPECT_EQ(components, c.components) << c.name;
  }
  for (const char* bad : {"../x", "a/../../x", "a/..", "/abs/x", "..", "a\\..\\x", "\\x", ""}) {
    std::vector<std::string> components;
    EXPECT_FALSE(platform::SplitEntryPath(bad, &components)) << bad;
  }
  std::vector<std::string> components;
  EXPECT_FALSE(platform::SplitEntryPath(std::string("a\0b", 3), &components));
}

TEST(ConfinedFolder, ALinkOnTheWayIsRefusedAndALinkInTheTargetsPlaceIsReplaced) {
  TempDir dir;
  Write(dir / "outside/victim", "outside");
  fs::create_directories(dir / "base");
  fs::create_directory_symlink(dir / "outside", dir / "base/link");
  fs::create_symlink(dir / "outside/victim", dir / "base/file-link");
  const FolderState outside = ReadFolderState(dir / "outside");
  auto folder = Open(dir / "base");

  Result result;
  EXPECT_FALSE(folder->CreateFile({"link", "x"}, &result));
  EXPECT_EQ(result.code(), ELOOP) << result.text();
  EXPECT_EQ(folder->CreateFolders({"link", "sub"}).code(), ELOOP);
  EXPECT_EQ(folder->CreateFolders({"link"}).code(), ELOOP);
  EXPECT_FALSE(folder->Exists({"link", "victim"}));
  EXPECT_TRUE(folder->Exists({"link"}));

  ASSERT_TRUE(WriteThrough(*folder, {"file-link"}, "new"));
  EXPECT_FALSE(fs::is_symlink(dir / "base/file-link"));
  EXPECT_EQ(ReadFolderState(dir / "base")["file-link"], "new");
  EXPECT_EQ(ReadFolderState(dir / "outside"), outside);
}

TEST(ConfinedFolder, PermissionBitsNeverExceedTheStoredOnesUnderTheUmask) {
  testing_tools::ScopedUmask umask(022);
  TempDir dir;
  struct Case {
    const char* name;
    std::optional<uint32_t> stored;
    std::optional<mode_t> existing;
    mode_t expected;
  } cases[] = {
      {"open-to-all", 0777, std::nullopt, 0755},  {"set-user-id", 04755, std::nullopt, 0755},
      {"private", 0600, std::nullopt, 0600},      {"writable-by-all", 0666, 0600, 0644},
      {"no-bits-kept", std::nullopt, 0750, 0750}, {"no-bits-new", std::nullopt, std::nullopt, 0644},
  };
  for (const Case& c : cases) {
    if (c.existing) {
      Write(dir / c.name, "old");
      chmod((dir / c.name).c_str(), *c.existing);
    }
  }
  auto folder = Open(dir.path());
  for (const Case& c : cases) {
    EXPECT_TRUE(WriteThrough(*folder, {c.name}, "new", c.stored)) << c.name;
    EXPECT_EQ(Mode(dir / c.name), c.expected) << c.name;
  }

  // Folders: the one asked for gets its bits (always open to its owner),
  // the ones made on the way and the ones already there keep a folder's.
  fs::create_directories(dir / "kept");
  chmod((dir / "kept").c_str(), 0750);
  ASSERT_TRUE(folder->CreateFolders({"made", "asked"}, 0777));
  ASSERT_TRUE(folder->CreateFolders({"locked"}, 0500));
  ASSERT_TRUE(folder->CreateFolders({"kept"}, 0777));
  EXPECT_EQ(Mode(dir / "made"), 0755u);
  EXPECT_EQ(Mode(dir / "made/asked"), 0755u);
  EXPECT_EQ(Mode(dir / "locked"), 0700u);
  EXPECT_EQ(Mode(dir / "kept"), 0750u);
}

TEST(ConfinedFolder, AFileNotCommittedOrInAFoldersPlaceLeavesNoTrace) {
  TempDir dir;
  Write(dir / "base/a.txt", "old");
  fs::create_directories(dir / "base/folder/inside");
  const FolderState before = ReadFolderState(dir / "base");
  auto folder = Open(dir / "base");
  {
    Result result;
    auto file = folder->CreateFile({"a.txt"}, &result);
    ASSERT_TRUE(file) << result.text();
    ASSERT_TRUE(file->Write("new", 3));
  }
  Result result;
  EXPECT_FALSE(folder->CreateFile({"folder"}, &result));
  EXPECT_EQ(result.code(), EISDIR);
  EXPECT_EQ(ReadFolderState(dir / "base"), before);
}

TEST(ConfinedFolder, TemporariesOfWritersThatAreGoneAreSweptWhereItWrites) {
  TempDir dir;
  const std::string gone = ".~a.txt." + std::to_string(testing_tools::GoneProcessId()) + ".3";
  const std::string living = ".~a.txt." + std::to_string(getpid()) + ".4";
  for (const std::string folder : {"lib", "other"}) {
    Write(dir / folder + "/" + gone, "left by a kill");
    Write(dir / folder + "/" + living, "still being written");
    Write(dir / folder + "/.~notes", "the user's");
  }
  auto folder = Open(dir.path());
  ASSERT_TRUE(WriteThrough(*folder, {"lib", "a.txt"}, "a"));
  std::vector<std::string> expected = {"lib/.~notes", "lib/" + living, "other/.~notes",
                                       "other/" + gone, "other/" + living};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(testing_tools::TemporaryLeftovers(dir.path()), expected);
}

}  // namespace
