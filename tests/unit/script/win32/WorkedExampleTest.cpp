#include <gtest/gtest.h>

#include <filesystem>

#include "script/QVScript.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Entries = std::map<std::string, std::string>;
using script_test::CopyFakeMain;
using script_test::ReadFile;
using script_test::Snapshot;
using script_test::WriteFile;

// A package's post-update script as a package brings it, run by the updater
// from its own folder "App" while the current folder is elsewhere; {d} is
// the folder of App, where C:\App stands in the example.
constexpr const char* kScript =
    "#post-update steps for the new release\r\n"
    "DIR CREATE data\\skins\r\n"
    "FILE COPY {d}\\app.ini {d}\\app.ini.bak\r\n"
    "file delete {d}\\old.dll\r\n"
    "FILE MOVE {d}\\new.ini {d}\\app.ini\r\n"
    "DIR DELETE cache\r\n"
    "DIR DELETE C:\\\r\n"
    "API SLEEP 500\r\n"
    "api sleep\r\n"
    "REGSVR32 plugins\\viewer.dll\r\n"
    "RUN notes.exe /open  readme.txt\r\n"
    "FILE  COPY a.txt b.txt\r\n"
    "UNZIP extra.zip\r\n";

class WorkedExample : public testing::TestWithParam<const char*> {};

TEST_P(WorkedExample, EveryLineDoesWhatItShould) {
  testing_tools::TempDir root;
  const std::string app = root / "App", work = root / "work";
  for (const auto& folder : {app, work, app + "\\cache\\sub", app + "\\plugins"})
    fs::create_directories(folder);
  WriteFile(app + "\\app.ini", "current settings");
  WriteFile(app + "\\app.ini.bak", "older copy");
  WriteFile(app + "\\old.dll", "old library");
  WriteFile(app + "\\new.ini", "new settings");
  WriteFile(app + "\\cache\\sub\\entry", "cached");
  const std::string viewer = app + "\\plugins\\viewer.dll";
  fs::copy_file(std::string(UPDATER_BUILD_DIR) + "/bin/install_probe.dll", viewer);
  const std::string notes = CopyFakeMain(app + "\\notes.exe");
  WriteFile(work + "\\a.txt", "a");
  WriteFile(app + "\\script.dat", script_test::InFolder(kScript, app));

  {
    script_test::ScopedUserLocale locale(GetParam());
    script_test::ScopedCurrentDir current(work);
    RunScriptFile(app + "\\script.dat", app + "\\");
  }

  // Programs are started, not waited for; what they record arrives later.
  const auto registered = testing_tools::WaitForCalls(viewer, 1);
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0].args, (Args{"DllInstall", "1", "user"}));
  EXPECT_EQ(registered[0].workingDir, app);
  const auto opened = testing_tools::WaitForCalls(notes, 1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].args, (Args{"/open", "readme.txt"}));
  EXPECT_EQ(opened[0].workingDir, app);

  Entries app_after = Snapshot(app);
  for (const char* tool :
       {"notes.exe", "notes.exe.calls", "plugins/viewer.dll", "plugins/viewer.dll.calls"})
    EXPECT_EQ(app_after.erase(tool), 1u) << tool;
  EXPECT_EQ(app_after, (Entries{
                           {"data", "<dir>"},
                           {"data/skins", "<dir>"},
                           {"app.ini", "current settings"},
                           {"app.ini.bak", "current settings"},
                           {"new.ini", "new settings"},
                           {"plugins", "<dir>"},
                           {"script.dat", ReadFile(app + "\\script.dat")},
                       }));
  EXPECT_EQ(Snapshot(work), (Entries{{"a.txt", "a"}}));
  // The drive's root is still there, with the prefix it holds.
  EXPECT_TRUE(fs::is_directory("C:\\windows"));
}

INSTANTIATE_TEST_SUITE_P(Locales, WorkedExample, testing::Values("en_US", "ko_KR"),
                         [](const auto& info) { return info.index == 0 ? "English" : "Korean"; });

}  // namespace
