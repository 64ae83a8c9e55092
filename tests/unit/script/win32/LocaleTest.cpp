// Command words are upper-cased by the thread's locale (LCMapStringW with
// linguistic casing).
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
#include "platform/LocaleUpper.h"
#include "script/QVScript.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

using script_test::InFolder;
using script_test::ScopedUserLocale;

TEST(LocaleUpper, FollowsTheThreadLocale) {
  {
    ScopedUserLocale locale("en_US");
    EXPECT_EQ(platform::LocaleUpper("file"), "FILE");
    EXPECT_EQ(platform::LocaleUpper("\xED\x95\x9C"
                                    "a"),
              "\xED\x95\x9C"
              "A");
    EXPECT_EQ(platform::LocaleUpper(""), "");
  }
  {
    ScopedUserLocale locale("tr_TR");
    EXPECT_EQ(platform::LocaleUpper("file"), "F\xC4\xB0LE");
    EXPECT_EQ(platform::LocaleUpper("FILE"), "FILE");
  }
}

TEST(RunScript, CommandWordsFollowTheThreadLocale) {
  const struct {
    const char* locale;
    std::string line;
    std::string made;
    bool recognised;
  } cases[] = {
      // Under Turkish rules "i" upper-cases to a dotted capital I.
      {"tr_TR", "file COPY {d}\\src {d}\\copy", "copy", false},
      {"tr_TR", "FILE COPY {d}\\src {d}\\copy", "copy", true},
      {"tr_TR", "dir create {d}\\new", "new", false},
      {"tr_TR", "DIR create {d}\\new", "new", true},
      {"ko_KR", "file copy {d}\\src {d}\\copy", "copy", true},
      {"en_US", "dir create {d}\\new", "new", true},
  };
  for (const auto& c : cases) {
    ScopedUserLocale locale(c.locale);
    testing_tools::TempDir dir;
    script_test::WriteFile(dir / "src", "source");
    const std::string line = InFolder(c.line, dir.path());
    RunScript(line, platform::ProgramFolder());
    EXPECT_EQ(std::filesystem::exists(dir / c.made), c.recognised) << line << " in " << c.locale;
  }
}

}  // namespace
