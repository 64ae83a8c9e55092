// DIR on Linux: links, every form of the root, and paths relative to the
// program folder of a script runner.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
#include "script/QVScript.h"
#include "script/ScriptPaths.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/script/ScriptRunner.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Entries = std::map<std::string, std::string>;
using script_test::InFolder;
using script_test::Snapshot;
using script_test::WriteFile;
using testing_tools::TempDir;

std::string Canonical(const std::string& path) {
  return fs::canonical(path).string();
}

// Deleting the root for real cannot be tested safely, so the decision is
// checked here; the commands below show that DIR DELETE goes by it.
TEST(TreeToRemove, RefusesEveryFormOfTheRootAndEmptyPaths) {
  TempDir dir;
  fs::create_directories(dir / "tree/sub");
  fs::create_directory_symlink("/", dir / "root-link");
  std::string up = dir.path();
  for (size_t i = 0; i < 40; ++i) up += "/..";
  for (const std::string& path :
       {std::string(), std::string("/"), std::string("//"), std::string("///"), std::string("/."),
        std::string("/.."), std::string("/./"), std::string("/../.."), std::string("/tmp/.."),
        std::string("/./../."), up, dir / "root-link", dir / "root-link/", dir / "root-link/.",
        dir / "missing"})
    EXPECT_EQ(TreeToRemove(path), std::nullopt) << path;
}

TEST(TreeToRemove, NamesTheFolderItselfNeverTheFolderBehindALink) {
  TempDir dir, outside;
  fs::create_directories(dir / "tree/sub");
  fs::create_directory_symlink(outside.path(), dir / "link");
  const struct {
    std::string path;
    std::string expected;
  } cases[] = {
      {dir / "tree", dir / "tree"},
      {dir / "tree/", dir / "tree"},
      {dir / "tree//", dir / "tree"},
      {dir / "link", dir / "link"},
      {dir / "link/", dir / "link"},
      // These name the folder they resolve to, not a link on the way.
      {dir / "tree/.", Canonical(dir / "tree")},
      {dir / "tree/sub/..", Canonical(dir / "tree")},
      {dir / "link/.", Canonical(outside.path())},
  };
  for (const auto& c : cases) EXPECT_EQ(TreeToRemove(c.path), c.expected) << c.path;
}

TEST(DirCommand, DeleteRemovesTheTreeButNothingBehindItsLinks) {
  TempDir dir, outside;
  WriteFile(outside / "keep.txt", "keep");
  fs::create_directory(outside / "inner");
  WriteFile(outside / "inner/keep2.txt", "keep2");
  const Entries outsideBefore = Snapshot(outside.path());

  for (const std::string written : {"{d}/tree", "{d}/tree/", "{d}/tree//"}) {
    fs::create_directories(dir / "tree/sub");
    WriteFile(dir / "tree/sub/file.txt", "x");
    fs::create_directory_symlink(outside.path(), dir / "tree/sub/to-folder");
    fs::create_symlink(outside / "keep.txt", dir / "tree/to-file");
    fs::create_directory_symlink(outside / "inner", dir / "tree/to-inner");
    const std::string line = InFolder("DIR DELETE " + written, dir.path());
    RunScript(line, platform::ProgramFolder());
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "tree"))) << line;
    EXPECT_EQ(Snapshot(outside.path()), outsideBefore) << line;
  }
}

TEST(DirCommand, DeleteOfALinkRemovesTheLinkOnly) {
  TempDir dir, outside;
  WriteFile(outside / "keep.txt", "keep");
  for (const std::string written : {"{d}/link", "{d}/link/"}) {
    fs::create_directory_symlink(outside.path(), dir / "link");
    RunScript(InFolder("DIR DELETE " + written, dir.path()), platform::ProgramFolder());
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "link"))) << written;
    EXPECT_EQ(Snapshot(outside.path()), (Entries{{"keep.txt", "keep"}})) << written;
  }
}

TEST(DirCommand, DeleteLeavesFilesMissingPathsAndRootsAlone) {
  TempDir dir;
  WriteFile(dir / "file.txt", "x");
  fs::create_directory_symlink("/", dir / "root-link");
  const Entries before = Snapshot(dir.path());
  // Without the root check the link itself would go; what it leads to is
  // never touched either way.
  RunScript(InFolder("DIR DELETE {d}/file.txt\n"
                     "DIR DELETE {d}/missing\n"
                     "DIR DELETE {d}/root-link\n"
                     "DIR DELETE\n",
                     dir.path()),
            platform::ProgramFolder());
  EXPECT_EQ(Snapshot(dir.path()), before);
}

// Relative DIR paths are taken in the program folder; whether a folder to
// create exists is asked of the current folder.
TEST(DirCommand, RelativePathsInTheProgramFolder) {
  TempDir root;
  const std::string app = root / "App", work = root / "work";
  fs::create_directories(app + "/gone/inner");
  fs::create_directories(app + "/kept");
  fs::create_directories(work + "/exists/here");
  fs::create_directories(work + "/victim");
  WriteFile(app + "/script.dat",
            "DIR CREATE exists/here\n"
            "DIR CREATE fresh/one\n"
            "DIR DELETE gone/\n"
            "DIR DELETE victim\n"
            "DIR DELETE\n");
  ASSERT_EQ(testing_tools::RunScriptInProgramFolder(app, app + "/script.dat", work), 0);
  EXPECT_FALSE(fs::exists(app + "/exists"));
  EXPECT_TRUE(fs::is_directory(app + "/fresh/one"));
  EXPECT_FALSE(fs::exists(app + "/gone"));
  EXPECT_TRUE(fs::is_directory(app + "/kept"));
  EXPECT_TRUE(fs::is_directory(work + "/victim"));
  EXPECT_TRUE(fs::is_directory(work + "/exists/here"));
  EXPECT_FALSE(fs::exists(work + "/fresh"));
}

}  // namespace
