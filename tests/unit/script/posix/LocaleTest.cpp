// Command words are upper-cased by the user's locale as the locale variables
// name it.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
#include "platform/LocaleUpper.h"
#include "script/QVScript.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"
#include "tests/unit/script/posix/ScriptEnvironment.h"

namespace {

namespace fs = std::filesystem;
using script_test::InFolder;
using script_test::ScopedLocale;
using testing_tools::TempDir;

TEST(LocaleUpper, FollowsTheUserLocale) {
  {
    script_test::ScopedLocale locale(std::nullopt, std::nullopt, std::nullopt);
    EXPECT_EQ(platform::LocaleUpper("file"), "FILE");
    EXPECT_EQ(platform::LocaleUpper("stra\xC3\x9F"
                                    "e"),
              "STRASSE");
    EXPECT_EQ(platform::LocaleUpper(""), "");
  }
  {
    script_test::ScopedLocale locale("tr_TR.UTF-8", std::nullopt, std::nullopt);
    EXPECT_EQ(platform::LocaleUpper("file"), "F\xC4\xB0LE");
    EXPECT_EQ(platform::LocaleUpper("FILE"), "FILE");
  }
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
