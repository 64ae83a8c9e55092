// Without a byte-order mark a script is in the system's code page: UTF-8 here.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
#include "script/QVScript.h"
#include "script/ScriptText.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

TEST(DecodeScriptBytes, WithoutAMarkInvalidUtf8BecomesReplacementCharacters) {
  EXPECT_EQ(DecodeScriptBytes("a\xFF"
                              "b"),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(RunScriptFile, WithoutAMarkNonAsciiNamesAreUtf8) {
  testing_tools::TempDir dir;
  script_test::WriteFile(dir / "script.dat",
                         "DIR CREATE " + dir.path() + "/tw\xC3\xB6-\xED\x95\x9C\n");
  RunScriptFile(dir / "script.dat", platform::ProgramFolder());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "tw\xC3\xB6-\xED\x95\x9C"));
}

}  // namespace
