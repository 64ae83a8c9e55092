// What only the Windows form of the writer and the journal does.
#include <windows.h>
// ConfinedFolder::CreateFile is ours; the system's is called CreateFileW.
#undef CreateFile

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/ConfinedFolder.h"
#include "platform/FolderHandle.h"
#include "platform/FolderWalk.h"
#include "platform/Temporaries.h"
#include "platform/UpdateJournal.h"
#include "tests/tools/win32/Wine.h"
#include "tests/unit/platform/ConfinedFolderTesting.h"
#include "tests/unit/platform/JournalFixture.h"

namespace {

using platform::FsError;
using platform::Result;
using testing_tools::FolderState;
using testing_tools::ReadFolderState;
using testing_tools::TempDir;
using namespace writer_testing;

// A program holding `path` open without sharing, as a running program
// holds its own files (Undeletable's Windows form).
std::shared_ptr<void> Holding(const TempDir& scratch, const std::string& path) {
  std::string why;
  bool possible = true;
  auto held = Undeletable(path, scratch.path(), &why, &possible);
  EXPECT_TRUE(held) << why;
  return held;
}

TEST(SplitEntryPath, WhatWindowsReadsAsAnotherPlaceOrAnotherNameIsRefused) {
  ExpectRefused({
      "..\\x",
      "a\\..\\..\\x",
      "C:\\x",
      "C:x",
      "C:/x",
      "\\\\server\\share\\x",
      "//server/share/x",
      "\\\\?\\C:\\x",
      "a:b",
      "dir/file.txt:stream",
      "CON",
      "con",
      "lib/nul.txt",
      "AUX.tar.gz",
      "COM1",
      "com9.log",
      "LPT1",
      "COM\xC2\xB9",
      "CONIN$",
      "CON .txt",
      "a.",
      "a ",
      "a/.../b",
      "dir./x",
      "x<y",
      "x|y",
      "x?y",
      "x*y",
      "x\"y",
      "tab\tname",
  });
  ExpectSplits({
      {"CONSOLE.txt", {"CONSOLE.txt"}},
      {"COM10", {"COM10"}},
      {"com", {"com"}},
      {"nul-not.txt", {"nul-not.txt"}},
      {".hidden", {".hidden"}},
      {"a.b/c d", {"a.b", "c d"}},
  });
}

TEST(ConfinedFolder, ComponentsThatAreNoPlainNamesAreRefused) {
  TempDir dir;
  auto folder = Open(dir.path());
  for (const std::vector<std::string>& path : std::vector<std::vector<std::string>>{
           {"C:", "x"}, {"a\\b"}, {"CON"}, {"x."}, {"ok", "..", "x"}, {"a:b"}}) {
    EXPECT_FALSE(WriteThrough(*folder, path, "x")) << path.back();
    EXPECT_FALSE(folder->CreateFolders(path)) << path.back();
  }
  EXPECT_TRUE(std::filesystem::is_empty(Native(dir.path())));
}

// What makes the full paths of the Windows form safe: no folder that a
// writer walked can be renamed away (and a junction put in its place) while
// the writer holds it.
TEST(ConfinedFolder, AFolderOnTheWayCannotBeRenamedWhileTheWriterHoldsIt) {
  TempDir dir;
  auto folder = Open(dir.path());
  ASSERT_TRUE(WriteThrough(*folder, {"lib", "deep", "a.txt"}, "a"));
  for (const char* path : {"lib", "lib/deep"}) {
    EXPECT_FALSE(MoveFileExW(Native(dir / path).c_str(), Native(dir / "moved").c_str(), 0)) << path;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << path;
  }
  folder.reset();
  EXPECT_TRUE(MoveFileExW(Native(dir / "lib").c_str(), Native(dir / "moved").c_str(), 0));
}

// The Windows behaviour the run's attempts rely on: a file that a running
// program holds is not replaced, and stays whole.
TEST(ConfinedFolder, AFileAnotherProgramHoldsIsNotReplacedAndStaysWhole) {
  TempDir dir;
  TempDir scratch;
  Write(dir / "lib/held.dll", "the running program's");
  const FolderState before = ReadFolderState(dir.path());
  auto holder = Holding(scratch, dir / "lib/held.dll");
  ASSERT_TRUE(holder);
  auto folder = Open(dir.path());
  const Result result = WriteThrough(*folder, {"lib", "held.dll"}, "new");
  EXPECT_EQ(result.code(), ERROR_SHARING_VIOLATION) << result.text();
  holder.reset();
  EXPECT_EQ(ReadFolderState(dir.path()), before);
  ASSERT_TRUE(WriteThrough(*folder, {"lib", "held.dll"}, "new"));
  EXPECT_EQ(Read(dir / "lib/held.dll"), "new");
}

using Journal = JournalTest;

TEST_F(Journal, AFileAnotherProgramHoldsFailsThePassAndTheRollbackIsExact) {
  auto holder = Holding(scratch_, app_ + "/bin/tool");
  ASSERT_TRUE(holder);
  auto journal = Begin(app_);
  Result result;
  auto folder = journal->OpenFolder(app_, &result);
  ASSERT_TRUE(folder) << result.text();
  ASSERT_TRUE(Put(*folder, {"top.txt"}, "top 1", 0600));
  auto file = folder->CreateFile({"bin", "tool"}, &result);
  ASSERT_TRUE(file) << result.text();
  ASSERT_TRUE(file->Write("tool 1", 6));
  result = file->Commit(0755, std::nullopt);
  EXPECT_EQ(result.code(), ERROR_SHARING_VIOLATION) << result.text();
  file.reset();
  folder.reset();
  ASSERT_TRUE(journal->Rollback());
  holder.reset();
  ExpectOldTree();
}

// Wine 8 follows a Unix symbolic link even when asked to open the link
// itself, and deleting through such a handle deletes what it points to. The
// links come from the Linux side (the fixture writer_wine_links); Windows
// has junctions instead, which ConfinedFolder.ALinkOnTheWayIsRefused makes.
TEST(WineLinks, AUnixLinkIsNeitherFollowedNorDeletedThrough) {
  const std::string links = std::string(UPDATER_BUILD_DIR) + "/wine-links";
  if (!testing_tools::UnderWine() || !std::filesystem::exists(Native(links + "/base")))
    GTEST_SKIP() << "Unix links made by the fixture writer_wine_links, under Wine only";
  const FolderState outside = ReadFolderState(links + "/outside");
  auto folder = Open(links + "/base");
  Result result;
  EXPECT_FALSE(folder->CreateFile({"link", "x"}, &result));
  EXPECT_EQ(platform::ErrorOf(result), FsError::kLink) << result.text();
  EXPECT_EQ(platform::ErrorOf(folder->CreateFolders({"link", "sub"})), FsError::kLink);
  EXPECT_FALSE(folder->Exists({"link", "victim"}));

  // In a file's place the link itself is replaced.
  ASSERT_TRUE(WriteThrough(*folder, {"file-link"}, "new"));
  EXPECT_EQ(Read(links + "/base/file-link"), "new");

  // Removing one, as a rollback or a sweep would, never reaches its target.
  platform::FolderHandle base;
  ASSERT_TRUE(platform::FolderHandle::Open(links + "/base", &base));
  EXPECT_EQ(platform::ErrorOf(base.RemoveFile("other-link")), FsError::kLink);
  EXPECT_FALSE(platform::RemoveTreeAt(base, "link"));
  platform::SweepStaleTemporaries(base);
  EXPECT_EQ(ReadFolderState(links + "/outside"), outside);
}

}  // namespace
