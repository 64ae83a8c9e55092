// What only the POSIX form of the writer and the journal does.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <filesystem>

#include "platform/ConfinedFolder.h"
#include "platform/UpdateJournal.h"
#include "tests/unit/platform/ConfinedFolderTesting.h"
#include "tests/unit/platform/JournalFixture.h"

namespace {

using platform::Result;
using testing_tools::FolderState;
using testing_tools::ReadFolderState;
using testing_tools::TempDir;
using namespace writer_testing;

// Windows would read these otherwise (Names.Windows… in win32/WriterTest.cpp).
TEST(SplitEntryPath, NamesThatArePlainHere) {
  ExpectSplits({
      {"a/.../b", {"a", "...", "b"}},
      {"a:b", {"a:b"}},
      {"C:/x", {"C:", "x"}},
      {"CON", {"CON"}},
      {"lib/nul.txt", {"lib", "nul.txt"}},
      {"a.", {"a."}},
      {"a ", {"a "}},
  });
}

TEST(ConfinedFolder, ALinkInTheTargetsPlaceIsReplacedNotFollowed) {
  TempDir dir;
  Write(dir / "outside/victim", "outside");
  std::filesystem::create_directories(dir / "base");
  ASSERT_TRUE(MakeLink(dir / "base/file-link", dir / "outside/victim", false));
  const FolderState outside = ReadFolderState(dir / "outside");
  auto folder = Open(dir / "base");
  ASSERT_TRUE(WriteThrough(*folder, {"file-link"}, "new"));
  EXPECT_FALSE(std::filesystem::is_symlink(dir / "base/file-link"));
  EXPECT_EQ(ReadFolderState(dir / "base")["file-link"], "new");
  EXPECT_EQ(ReadFolderState(dir / "outside"), outside);
}

// The folder asked for gets its bits (always open to its owner), the ones
// made on the way and the ones already there keep a folder's.
TEST(ConfinedFolder, FoldersGetTheStoredBitsOnlyWhereTheyAreMade) {
  testing_tools::ScopedUmask umask(022);
  TempDir dir;
  std::filesystem::create_directories(dir / "kept");
  SetMode(dir / "kept", 0750);
  auto folder = Open(dir.path());
  ASSERT_TRUE(folder->CreateFolders({"made", "asked"}, 0777));
  ASSERT_TRUE(folder->CreateFolders({"locked"}, 0500));
  ASSERT_TRUE(folder->CreateFolders({"kept"}, 0777));
  EXPECT_EQ(ModeOf(dir / "made"), 0755u);
  EXPECT_EQ(ModeOf(dir / "made/asked"), 0755u);
  EXPECT_EQ(ModeOf(dir / "locked"), 0700u);
  EXPECT_EQ(ModeOf(dir / "kept"), 0750u);
}

using Journal = JournalTest;

// A record that could not be written whole (a disk that filled, here a
// file-size limit) must not hide the records written after it.
TEST_F(Journal, ARecordCutShortIsRemovedBeforeTheNextOne) {
  auto journal = Begin(app_);
  Result result;
  auto folder = journal->OpenFolder(app_, &result);
  ASSERT_TRUE(folder && Put(*folder, {"top.txt"}, "top 1", 0600));
  const std::string file = OnlyJournal();
  {
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = std::filesystem::file_size(file) + 10;
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_FALSE(Put(*folder, {"bin", "tool"}, "tool 1", 0755));
    setrlimit(RLIMIT_FSIZE, &saved);
  }
  ASSERT_TRUE(Put(*folder, {"bin", "tool"}, "tool 1", 0755));
  ASSERT_TRUE(Put(*folder, {"lib", "keep.cfg"}, "changed", std::nullopt));
  folder.reset();
  ASSERT_TRUE(journal->Rollback());
  ExpectOldTree();
}

}  // namespace
