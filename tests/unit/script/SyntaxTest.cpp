#include <gtest/gtest.h>

#include "platform/Files.h"

#include <filesystem>

#include "script/QVScript.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;
using script_test::InFolder;
using script_test::ScopedLocale;
using testing_tools::TempDir;

TEST(RunScript, TokensCommentsAndCommandWords) {
  ScopedLocale locale("en_US.UTF-8", std::nullopt, std::nullopt);
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
  RunScript(InFolder("FILE COPY {d}/missing {d}/copy\n"
                     "FILE MOVE {d}/missing {d}/moved\n"
                     "DIR DELETE {d}/missing\n"
                     "RUN {d}/missing\n"
                     "API SLEEP -1\n"
                     "DIR CREATE /proc/no/such/folder\n"
                     "DIR CREATE {d}/after\n",
                     dir.path()),
            platform::ProgramFolder());
  EXPECT_TRUE(fs::is_directory(dir / "after"));
  EXPECT_EQ(script_test::Snapshot(dir.path()).size(), 1u);
}

TEST(RunScript, CommandWordsFollowTheUserLocale) {
  using Value = std::optional<std::string>;
  const Value none;
  const struct {
    Value all, ctype, lang;
    std::string line;
    std::string made;  // the entry the line makes when it is recognised
    bool recognised;
  } cases[] = {
      // Under Turkish rules "i" upper-cases to a dotted capital I.
      {"tr_TR.UTF-8", none, none, "file COPY {d}/src {d}/copy", "copy", false},
      {"tr_TR.UTF-8", none, none, "FILE COPY {d}/src {d}/copy", "copy", true},
      {"tr_TR.UTF-8", none, none, "dir create {d}/new", "new", false},
      {"tr_TR.UTF-8", none, none, "DIR create {d}/new", "new", true},
      {none, none, "tr_TR.UTF-8", "file copy {d}/src {d}/copy", "copy", false},
      {none, "tr_TR.UTF-8", "en_US.UTF-8", "file copy {d}/src {d}/copy", "copy", false},
      {"en_US.UTF-8", none, "tr_TR.UTF-8", "file copy {d}/src {d}/copy", "copy", true},
      {"ko_KR.UTF-8", none, none, "file copy {d}/src {d}/copy", "copy", true},
      {"C", none, "tr_TR.UTF-8", "file copy {d}/src {d}/copy", "copy", true},
      {none, none, none, "dir create {d}/new", "new", true},
  };
  for (const auto& c : cases) {
    ScopedLocale locale(c.all, c.ctype, c.lang);
    TempDir dir;
    script_test::WriteFile(dir / "src", "source");
    const std::string line = InFolder(c.line, dir.path());
    RunScript(line, platform::ProgramFolder());
    EXPECT_EQ(fs::exists(dir / c.made), c.recognised)
        << line << " LC_ALL=" << c.all.value_or("-") << " LC_CTYPE=" << c.ctype.value_or("-")
        << " LANG=" << c.lang.value_or("-");
  }
}

}  // namespace
