#include "platform/ConfinedFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/FolderHandle.h"
#include "platform/ProcessExists.h"
#include "tests/tools/ScopedUmask.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/faults/FolderState.h"
#include "tests/tools/faults/GoneProcess.h"
#include "tests/unit/platform/ConfinedFolderTesting.h"
#include "tests/unit/platform/WriterTesting.h"

namespace {

using platform::ConfinedFolder;
using platform::FsError;
using platform::Result;
using testing_tools::FolderState;
using testing_tools::ReadFolderState;
using testing_tools::TempDir;
using namespace writer_testing;

TEST(SplitEntryPath, NamesThatStayBelowTheBaseAndNamesThatDoNot) {
  ExpectSplits({
      {"a", {"a"}},
      {"a/b.txt", {"a", "b.txt"}},
      {"a\\b.txt", {"a", "b.txt"}},  // written on Windows
      {"a//./b/", {"a", "b"}},
      {"a..b", {"a..b"}},
      {"..a/b", {"..a", "b"}},
      {".", {}},
  });
  ExpectRefused(
      {"../x", "a/../../x", "a/..", "/abs/x", "..", "a\\..\\x", "\\x", "", std::string("a\0b", 3)});
}

TEST(ConfinedFolder, ALinkOnTheWayIsRefused) {
  TempDir dir;
  Write(dir / "outside/victim", "outside");
  Write(dir / "base/kept", "kept");
  if (!MakeLink(dir / "base/link", dir / "outside", true))
    GTEST_SKIP() << "no link to a folder can be made here (Wine 8 makes no junction)";
  const FolderState outside = ReadFolderState(dir / "outside");
  auto folder = Open(dir / "base");

  Result result;
  EXPECT_FALSE(folder->CreateFile({"link", "x"}, &result));
  EXPECT_EQ(platform::ErrorOf(result), FsError::kLink) << result.text();
  EXPECT_EQ(platform::ErrorOf(folder->CreateFolders({"link", "sub"})), FsError::kLink);
  EXPECT_EQ(platform::ErrorOf(folder->CreateFolders({"link"})), FsError::kLink);
  EXPECT_FALSE(folder->Exists({"link", "victim"}));
  EXPECT_TRUE(folder->Exists({"link"}));
  EXPECT_EQ(ReadFolderState(dir / "outside"), outside);
}

// What the writer makes of the stored bits, as this platform keeps them
// (on Windows: read-only or not).
TEST(ConfinedFolder, PermissionBitsNeverExceedTheStoredOnesUnderTheUmask) {
  testing_tools::ScopedUmask umask(022);
  TempDir dir;
  struct Case {
    const char* name;
    std::optional<uint32_t> stored;
    std::optional<uint32_t> existing;
    uint32_t expected;  // under the umask
  } cases[] = {
      {"open-to-all", 0777, std::nullopt, 0755},  {"set-user-id", 04755, std::nullopt, 0755},
      {"private", 0600, std::nullopt, 0600},      {"writable-by-all", 0666, 0600, 0644},
      {"no-bits-kept", std::nullopt, 0750, 0750}, {"no-bits-new", std::nullopt, std::nullopt, 0644},
      {"read-only", 0444, std::nullopt, 0444},    {"read-only-kept", std::nullopt, 0444, 0444},
      {"over-read-only", 0644, 0444, 0644},
  };
  for (const Case& c : cases) {
    if (c.existing) {
      Write(dir / c.name, "old");
      SetMode(dir / c.name, *c.existing);
    }
  }
  auto folder = Open(dir.path());
  for (const Case& c : cases) {
    EXPECT_TRUE(WriteThrough(*folder, {c.name}, "new", c.stored)) << c.name;
    EXPECT_EQ(Read(dir / c.name), "new") << c.name;
    EXPECT_EQ(ModeOf(dir / c.name), Kept(c.expected)) << c.name;
  }
}

TEST(ConfinedFolder, AFileNotCommittedOrInAFoldersPlaceLeavesNoTrace) {
  TempDir dir;
  Write(dir / "base/a.txt", "old");
  Write(dir / "base/folder/inside/x", "x");
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
  EXPECT_EQ(platform::ErrorOf(result), FsError::kFolder) << result.text();
  EXPECT_EQ(ReadFolderState(dir / "base"), before);
}

TEST(ConfinedFolder, TemporariesOfWritersThatAreGoneAreSweptWhereItWrites) {
  TempDir dir;
  const std::string gone = ".~a.txt." + std::to_string(testing_tools::GoneProcessId()) + ".3";
  const std::string living = ".~a.txt." + std::to_string(platform::CurrentProcessId()) + ".4";
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
