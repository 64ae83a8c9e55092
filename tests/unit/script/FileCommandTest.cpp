#include <gtest/gtest.h>

#include "platform/Files.h"

#include <filesystem>

#include "script/QVScript.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Entries = std::map<std::string, std::string>;
using script_test::InFolder;
using script_test::Snapshot;
using script_test::WriteFile;
using testing_tools::TempDir;

// src.txt, old.txt and a folder "folder" to start each case from.
void MakeFixture(const TempDir& dir) {
  WriteFile(dir / "src.txt", "source");
  WriteFile(dir / "old.txt", "old");
  fs::create_directory(dir / "folder");
}

Entries Fixture(Entries changes, const std::vector<std::string>& removed = {}) {
  Entries entries{{"src.txt", "source"}, {"old.txt", "old"}, {"folder", "<dir>"}};
  for (const auto& name : removed) entries.erase(name);
  for (auto& [name, content] : changes) entries[name] = content;
  return entries;
}

TEST(FileCommand, CopyDeleteAndMove) {
  script_test::ScopedUserLocale locale("en_US");
  const struct {
    std::string line;
    Entries expected;
  } cases[] = {
      {"FILE COPY {d}/src.txt {d}/new.txt", Fixture({{"new.txt", "source"}})},
      {"file copy {d}/src.txt {d}/old.txt", Fixture({{"old.txt", "source"}})},
      // Arguments keep their case.
      {"FILE COPY {d}/src.txt {d}/New.TXT", Fixture({{"New.TXT", "source"}})},
      {"FILE COPY {d}/src.txt {d}/folder/in.txt", Fixture({{"folder/in.txt", "source"}})},
      {"FILE COPY {d}/missing.txt {d}/new.txt", Fixture({})},
      {"FILE COPY {d}/folder {d}/new.txt", Fixture({})},
      {"FILE COPY {d}/src.txt", Fixture({})},
      {"FILE COPY {d}/src.txt {d}/folder", Fixture({})},
      {"FILE COPY {d}/src.txt {d}/src.txt", Fixture({})},
      {"FILE COPY {d}/src.txt {d}/no/such/folder/x.txt", Fixture({})},
      {"FILE DELETE {d}/src.txt", Fixture({}, {"src.txt"})},
      {"FILE DELETE {d}/folder", Fixture({})},
      {"FILE DELETE {d}/missing.txt", Fixture({})},
      {"FILE MOVE {d}/src.txt {d}/moved.txt", Fixture({{"moved.txt", "source"}}, {"src.txt"})},
      {"FILE MOVE {d}/src.txt {d}/old.txt", Fixture({})},
      {"FILE MOVE {d}/src.txt", Fixture({})},
      {"FILE MOVE {d}/folder {d}/moved", Fixture({})},
      {"FILE  COPY {d}/src.txt {d}/new.txt", Fixture({})},
      {"FILE RENAME {d}/src.txt {d}/new.txt", Fixture({})},
      {"FILE", Fixture({})},
  };
  for (const auto& c : cases) {
    TempDir dir;
    MakeFixture(dir);
    const std::string line = InFolder(c.line, dir.path());
    RunScript(line, platform::ProgramFolder());
    EXPECT_EQ(Snapshot(dir.path()), c.expected) << line;
  }
}

TEST(FileCommand, RelativePathsResolveAgainstTheCurrentFolder) {
  TempDir dir;
  MakeFixture(dir);
  script_test::ScopedCurrentDir current(dir.path());
  RunScript("FILE COPY src.txt copy.txt\nFILE MOVE old.txt folder/old.txt\nFILE DELETE src.txt",
            platform::ProgramFolder());
  EXPECT_EQ(Snapshot(dir.path()),
            (Entries{{"copy.txt", "source"}, {"folder", "<dir>"}, {"folder/old.txt", "old"}}));
}

}  // namespace
