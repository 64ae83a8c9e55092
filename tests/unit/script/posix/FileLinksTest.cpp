// What file commands do with permission bits and symbolic links.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
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

TEST(FileCommand, CopyKeepsThePermissionBitsOfTheSource) {
  TempDir dir;
  WriteFile(dir / "tool", "#!/bin/sh\n");
  fs::permissions(dir / "tool", fs::perms(0750));
  RunScript(InFolder("FILE COPY {d}/tool {d}/tool2", dir.path()), platform::ProgramFolder());
  EXPECT_EQ(fs::status(dir / "tool2").permissions(), fs::perms(0750));
}

TEST(FileCommand, LinksAreHandledAsLinks) {
  TempDir dir, outside;
  WriteFile(outside / "target.txt", "outside");
  fs::create_symlink(outside / "target.txt", dir / "link.txt");
  fs::create_symlink(dir / "missing.txt", dir / "dangling.txt");
  RunScript(InFolder("FILE COPY {d}/link.txt {d}/copy.txt\n"
                     "FILE DELETE {d}/link.txt\n"
                     "FILE DELETE {d}/dangling.txt\n",
                     dir.path()),
            platform::ProgramFolder());
  // The copy takes the content; the delete removes the link, not its target.
  EXPECT_EQ(Snapshot(dir.path()),
            (Entries{{"copy.txt", "outside"}, {"dangling.txt", "-> " + (dir / "missing.txt")}}));
  EXPECT_EQ(script_test::ReadFile(outside / "target.txt"), "outside");
}

}  // namespace
