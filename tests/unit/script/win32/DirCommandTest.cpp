// DIR on Windows: drive letters, shares and every form of a root.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
#include "script/QVScript.h"
#include "script/ScriptPaths.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Entries = std::map<std::string, std::string>;
using script_test::InFolder;
using script_test::Snapshot;
using script_test::WriteFile;
using testing_tools::TempDir;

// Deleting a root for real cannot be tested safely, so the decision is
// checked here; the commands below show that DIR DELETE goes by it.
TEST(TreeToRemove, RefusesEveryFormOfARootAndEmptyPaths) {
  TempDir dir;
  fs::create_directories(dir / "tree");
  std::string up = dir.path();
  for (size_t i = 0; i < 40; ++i) up += "\\..";
  // "C:" alone names the drive's current folder, here its root.
  script_test::ScopedCurrentDir current("C:\\");
  for (const std::string& path :
       {std::string(), std::string("C:\\"), std::string("c:\\"), std::string("C:/"),
        std::string("C:\\\\"), std::string("C:\\."), std::string("C:\\.."),
        std::string("C:\\windows\\.."), std::string("C:"), std::string("\\"), std::string("/"),
        std::string("."), std::string("\\\\?\\C:\\"), up, dir / "missing",
        std::string("\\\\no-such-server\\share")})
    EXPECT_EQ(TreeToRemove(path), std::nullopt) << path;
}

TEST(TreeToRemove, NamesTheFolderItself) {
  TempDir dir;
  fs::create_directories(dir / "tree\\sub");
  const std::string resolved = platform::ResolvedPath(dir / "tree");
  ASSERT_FALSE(resolved.empty());
  const struct {
    std::string path;
    std::string expected;
  } cases[] = {
      {dir / "tree", dir / "tree"},     {dir / "tree\\", dir / "tree"},
      {dir / "tree\\\\", dir / "tree"}, {dir / "tree/", dir / "tree"},
      {dir / "tree\\.", resolved},      {dir / "tree\\sub\\..", resolved},
  };
  for (const auto& c : cases) EXPECT_EQ(TreeToRemove(c.path), c.expected) << c.path;
}

TEST(DirCommand, DeleteRemovesTheTreeAndLeavesFilesAndMissingPathsAlone) {
  for (const std::string written : {"{d}\\tree", "{d}\\tree\\", "{d}/tree/"}) {
    TempDir dir;
    fs::create_directories(dir / "tree\\sub");
    WriteFile(dir / "tree\\sub\\file.txt", "x");
    WriteFile(dir / "file.txt", "y");
    RunScript(
        InFolder("DIR DELETE " + written + "\nDIR DELETE {d}\\file.txt\nDIR DELETE {d}\\missing",
                 dir.path()),
        platform::ProgramFolder());
    EXPECT_EQ(Snapshot(dir.path()), (Entries{{"file.txt", "y"}})) << written;
  }
}

// Relative DIR paths are taken in the program folder; whether a folder to
// create exists is asked of the current folder.
TEST(DirCommand, RelativePathsInTheProgramFolder) {
  TempDir root;
  const std::string app = root / "App", work = root / "work";
  fs::create_directories(app + "\\gone\\inner");
  fs::create_directories(app + "\\kept");
  fs::create_directories(work + "\\exists\\here");
  fs::create_directories(work + "\\victim");
  script_test::ScopedCurrentDir current(work);
  RunScript(
      "DIR CREATE exists\\here\n"
      "DIR CREATE fresh\\one\n"
      "DIR DELETE gone\\\n"
      "DIR DELETE victim\n"
      "DIR DELETE\n",
      app + "\\");
  EXPECT_FALSE(fs::exists(app + "\\exists"));
  EXPECT_TRUE(fs::is_directory(app + "\\fresh\\one"));
  EXPECT_FALSE(fs::exists(app + "\\gone"));
  EXPECT_TRUE(fs::is_directory(app + "\\kept"));
  EXPECT_TRUE(fs::is_directory(work + "\\victim"));
  EXPECT_TRUE(fs::is_directory(work + "\\exists\\here"));
  EXPECT_FALSE(fs::exists(work + "\\fresh"));
}

}  // namespace
