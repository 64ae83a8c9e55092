#include <gtest/gtest.h>

#include "platform/Files.h"

#include <filesystem>

#include "script/QVScript.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;
using script_test::InFolder;
using script_test::ScopedUserLocale;
using testing_tools::TempDir;

TEST(RunScript, TokensCommentsAndCommandWords) {
  ScopedUserLocale locale("en_US");
  const struct {
    std::string line;
    bool made;
  } cases[] = {
      {"DIR CREATE {d}/a", true},
      {" \t DIR CREATE {d}/a \t\r", true},
      {"dir create {d}/a", true},
      {"Dir cReAtE {d}/a", true},
      // Only the blank separates tokens.
      {"DIR\tCREATE {d}/a", false},
      // A double blank makes an empty token, which shifts the sub-command.
      {"DIR  CREATE {d}/a", false},
      {"#DIR CREATE {d}/a", false},
      {"   #DIR CREATE {d}/a", false},
      {"\t# DIR CREATE {d}/a", false},
      {"DIRS CREATE {d}/a", false},
      {"DIR MAKE {d}/a", false},
      {"UNZIP {d}/a", false},
      {"DIR", false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const std::string line = InFolder(c.line, dir.path());
    RunScript(line, platform::ProgramFolder());
    EXPECT_EQ(fs::is_directory(dir / "a"), c.made) << line;
  }
}

TEST(RunScript, AFailingLineDoesNotStopTheScript) {
  TempDir dir;
  script_test::WriteFile(dir / "blocked", "a file, no folder");
  RunScript(InFolder("FILE COPY {d}/missing {d}/copy\n"
                     "FILE MOVE {d}/missing {d}/moved\n"
                     "DIR DELETE {d}/missing\n"
                     "RUN {d}/missing\n"
                     "API SLEEP -1\n"
                     "DIR CREATE {d}/blocked/folder\n"
                     "DIR CREATE {d}/after\n",
                     dir.path()),
            platform::ProgramFolder());
  EXPECT_TRUE(fs::is_directory(dir / "after"));
  EXPECT_EQ(script_test::Snapshot(dir.path()).size(), 2u);
}

}  // namespace
