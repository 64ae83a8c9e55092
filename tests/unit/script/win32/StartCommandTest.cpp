// RUN and REGSVR32 on Windows: the shell finds the program itself, and the
// system's registration tool installs the library.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
#include "script/QVScript.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using script_test::CopyFakeMain;
using testing_tools::TempDir;
using testing_tools::WaitForCalls;

// A copy of the library that records how the registration tool called it.
std::string CopyInstallProbe(const std::string& path) {
  fs::copy_file(std::string(UPDATER_BUILD_DIR) + "/bin/install_probe.dll", path);
  return path;
}

TEST(RunCommand, NamesAreFoundInTheProgramFolder) {
  TempDir root;
  const std::string app = root / "App", work = root / "work";
  for (const auto& folder : {app, work, app + "\\tools"}) fs::create_directories(folder);
  const std::string notes = CopyFakeMain(app + "\\notes.exe");
  const std::string conv = CopyFakeMain(app + "\\tools\\conv.exe");
  CopyFakeMain(work + "\\conv.exe");
  script_test::ScopedCurrentDir current(work);
  RunScript("RUN notes.exe first\nRUN tools\\conv.exe second", app + "\\");
  const auto notesCalls = WaitForCalls(notes, 1);
  ASSERT_EQ(notesCalls.size(), 1u);
  EXPECT_EQ(notesCalls[0].args, Args{"first"});
  EXPECT_EQ(notesCalls[0].workingDir, app);
  const auto convCalls = WaitForCalls(conv, 1);
  ASSERT_EQ(convCalls.size(), 1u);
  EXPECT_EQ(convCalls[0].args, Args{"second"});
  EXPECT_TRUE(testing_tools::ReadCalls(work + "\\conv.exe").empty());
}

// "/n /s /i:user": no DllRegisterServer, DllInstall with "user", no message.
TEST(Regsvr32Command, TheRegistrationToolInstallsTheLibraryForTheUser) {
  TempDir root;
  const std::string app = root / "App";
  fs::create_directories(app + "\\plugins");
  const std::string probe = CopyInstallProbe(app + "\\plugins\\viewer.dll");
  RunScript("REGSVR32 plugins\\viewer.dll\nREGSVR32 " + probe, app + "\\");
  const auto calls = WaitForCalls(probe, 2);
  ASSERT_EQ(calls.size(), 2u);
  for (const auto& call : calls) {
    EXPECT_EQ(call.args, (Args{"DllInstall", "1", "user"}));
    EXPECT_EQ(call.workingDir, app);
  }
}

}  // namespace
