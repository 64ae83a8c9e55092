// RUN and REGSVR32 on Linux: the lookup the Windows shell would make.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
#include "script/QVScript.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/script/ScriptRunner.h"
#include "tests/unit/script/ScriptTestSupport.h"
#include "tests/unit/script/posix/ScriptEnvironment.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using script_test::CopyFakeMain;
using script_test::InFolder;
using script_test::ScopedEnv;
using testing_tools::TempDir;
using testing_tools::WaitForCalls;

TEST(RunCommand, ABareNameIsLookedForOnThePath) {
  TempDir bin;
  const std::string tool = CopyFakeMain(bin / "script-test-tool");
  script_test::WriteFile(bin / "not-executable", "");
  ScopedEnv path("PATH", bin.path() + ":/usr/bin:/bin");
  RunScript("RUN not-executable\nRUN no-such-program-anywhere x\nRUN script-test-tool x",
            platform::ProgramFolder());
  const auto calls = WaitForCalls(tool, 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, Args{"x"});
}

TEST(RunCommand, ProgramFolderComesBeforeThePath) {
  TempDir root;
  const std::string app = root / "App", bin = root / "bin", work = root / "work";
  for (const auto& folder : {app, bin, work, app + "/tools"}) fs::create_directories(folder);
  const std::string inApp = CopyFakeMain(app + "/notes");
  const std::string onPath = CopyFakeMain(bin + "/notes");
  const std::string inTools = CopyFakeMain(app + "/tools/conv");
  CopyFakeMain(work + "/conv");
  script_test::WriteFile(app + "/script.dat", "RUN notes first\nRUN tools/conv second\n");
  ASSERT_EQ(testing_tools::RunScriptInProgramFolder(app, app + "/script.dat", work,
                                                    {{"PATH", bin + ":/usr/bin:/bin"}}),
            0);
  const auto appCalls = WaitForCalls(inApp, 1);
  ASSERT_EQ(appCalls.size(), 1u);
  EXPECT_EQ(appCalls[0].args, Args{"first"});
  EXPECT_EQ(appCalls[0].workingDir, app);
  // A relative path with a separator is taken in the program folder too.
  const auto toolCalls = WaitForCalls(inTools, 1);
  ASSERT_EQ(toolCalls.size(), 1u);
  EXPECT_EQ(toolCalls[0].args, Args{"second"});
  EXPECT_TRUE(testing_tools::ReadCalls(onPath).empty());
  EXPECT_TRUE(testing_tools::ReadCalls(work + "/conv").empty());
}

TEST(Regsvr32Command, StartsTheRegistrationToolFromThePath) {
  TempDir bin;
  const std::string tool = CopyFakeMain(bin / "regsvr32");
  ScopedEnv path("PATH", bin.path() + ":/usr/bin:/bin");
  RunScript("REGSVR32 plugins/viewer.dll\nregsvr32\n", platform::ProgramFolder());
  // Both run at once, so they may record in either order.
  const auto calls = WaitForCalls(tool, 2);
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_THAT((std::vector<Args>{calls[0].args, calls[1].args}),
              testing::UnorderedElementsAre(Args{"/n", "/s", "/i:user", "plugins/viewer.dll"},
                                            Args{"/n", "/s", "/i:user"}));
  for (const auto& call : calls) EXPECT_EQ(call.workingDir, script_test::ProgramFolderAsCwd());
}

TEST(Regsvr32Command, PrefersTheWindowsNameAndSkipsWhatCannotRun) {
  TempDir first, second;
  script_test::WriteFile(first / "regsvr32.exe", "not a program");
  const std::string plain = CopyFakeMain(first / "regsvr32");
  const std::string windows = CopyFakeMain(second / "regsvr32.exe");
  ScopedEnv path("PATH", first.path() + ":" + second.path());
  RunScript("REGSVR32 a.dll", platform::ProgramFolder());
  const auto calls = WaitForCalls(windows, 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].args, (Args{"/n", "/s", "/i:user", "a.dll"}));
  EXPECT_TRUE(testing_tools::ReadCalls(plain).empty());
}

TEST(Regsvr32Command, WithoutTheToolTheScriptGoesOn) {
  TempDir dir, empty;
  ScopedEnv path("PATH", empty.path());
  RunScript(InFolder("REGSVR32 a.dll\nDIR CREATE {d}/after", dir.path()),
            platform::ProgramFolder());
  EXPECT_TRUE(fs::is_directory(dir / "after"));
}

}  // namespace
