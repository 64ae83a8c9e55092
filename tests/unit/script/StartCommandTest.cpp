#include <gtest/gtest.h>

#include "platform/Files.h"
#include "script/QVScript.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

using Args = std::vector<std::string>;
using script_test::CopyFakeMain;
using testing_tools::TempDir;
using testing_tools::WaitForCalls;

TEST(RunCommand, StartsTheProgramWithTheJoinedParametersInTheProgramFolder) {
  const struct {
    std::string parameters;
    Args expected;
  } cases[] = {
      {"", {}},
      {" /open  readme.txt", {"/open", "readme.txt"}},
      // Empty tokens before the first parameter vanish.
      {"   a", {"a"}},
      {" Mixed.Case \"two words\" x", {"Mixed.Case", "two words", "x"}},
  };
  TempDir dir;
  const std::string program = CopyFakeMain(dir / "notes.exe");
  for (size_t i = 0; i < std::size(cases); ++i) {
    RunScript("RUN " + program + cases[i].parameters, platform::ProgramFolder());
    const auto calls = WaitForCalls(program, i + 1);
    ASSERT_EQ(calls.size(), i + 1) << cases[i].parameters;
    EXPECT_EQ(calls[i].args, cases[i].expected) << cases[i].parameters;
    EXPECT_EQ(calls[i].workingDir, script_test::ProgramFolderAsCwd());
  }
}

}  // namespace
