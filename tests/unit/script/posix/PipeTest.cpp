#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/Files.h"
#include "script/QVScript.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

// Reading a pipe would wait for a writer for ever.
TEST(RunScriptFile, APipeIsNoScript) {
  testing_tools::TempDir dir;
  ASSERT_EQ(mkfifo((dir / "pipe.dat").c_str(), 0600), 0);
  RunScriptFile(dir / "pipe.dat", platform::ProgramFolder());
  EXPECT_EQ(script_test::Snapshot(dir.path()).size(), 1u);
}

}  // namespace
