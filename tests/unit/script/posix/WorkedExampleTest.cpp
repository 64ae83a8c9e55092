#include <gtest/gtest.h>

#include <filesystem>

#include "tests/tools/FakeMain.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/script/ScriptRunner.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Entries = std::map<std::string, std::string>;
using script_test::CopyFakeMain;
using script_test::ReadFile;
using script_test::Snapshot;
using script_test::WriteFile;

// A package's post-update script, run by the updater from its own folder
// "App" while the current folder is elsewhere. The drive-root line becomes a
// link to the root: refusing it is checked without risking the machine.
constexpr const char* kScript =
    "#post-update steps for the new release\r\n"
    "DIR CREATE data/skins\r\n"
    "FILE COPY {d}/app.ini {d}/app.ini.bak\r\n"
    "file delete {d}/old.dll\r\n"
    "FILE MOVE {d}/new.ini {d}/app.ini\r\n"
    "DIR DELETE cache\r\n"
    "DIR DELETE root\r\n"
    "API SLEEP 500\r\n"
    "api sleep\r\n"
    "REGSVR32 plugins/viewer.dll\r\n"
    "RUN notes /open  readme.txt\r\n"
    "FILE  COPY a.txt b.txt\r\n"
    "UNZIP extra.zip\r\n";

class WorkedExample : public testing::TestWithParam<const char*> {};

TEST_P(WorkedExample, EveryLineDoesWhatItShould) {
  testing_tools::TempDir root;
  const std::string app = root / "App", work = root / "work", bin = root / "bin";
  for (const auto& folder : {app, work, bin, app + "/cache/sub", app + "/plugins"})
    fs::create_directories(folder);
  WriteFile(app + "/app.ini", "current settings");
  WriteFile(app + "/app.ini.bak", "older copy");
  WriteFile(app + "/old.dll", "old library");
  WriteFile(app + "/new.ini", "new settings");
  WriteFile(app + "/cache/sub/entry", "cached");
  WriteFile(app + "/plugins/viewer.dll", "viewer");
  fs::create_directory_symlink("/", app + "/root");
  const std::string notes = CopyFakeMain(app + "/notes");
  const std::string regsvr32 = CopyFakeMain(bin + "/regsvr32");
  WriteFile(work + "/a.txt", "a");
  WriteFile(app + "/script.dat", script_test::InFolder(kScript, app));

  ASSERT_EQ(testing_tools::RunScriptInProgramFolder(app, app + "/script.dat", work,
                                                    {{"LANG", GetParam()},
                                                     {"LC_ALL", std::nullopt},
                                                     {"LC_CTYPE", std::nullopt},
                                                     {"PATH", bin + ":/usr/bin:/bin"}}),
            0);

  // Programs are started, not waited for; what they record arrives later.
  const auto registered = testing_tools::WaitForCalls(regsvr32, 1);
  ASSERT_EQ(registered.size(), 1u);
  EXPECT_EQ(registered[0].args, (Args{"/n", "/s", "/i:user", "plugins/viewer.dll"}));
  EXPECT_EQ(registered[0].workingDir, app);
  const auto opened = testing_tools::WaitForCalls(notes, 1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].args, (Args{"/open", "readme.txt"}));
  EXPECT_EQ(opened[0].workingDir, app);

  Entries app_after = Snapshot(app);
  app_after.erase("Updater");
  app_after.erase("notes");
  app_after.erase("notes.calls");
  EXPECT_EQ(app_after, (Entries{
                           {"data", "<dir>"},
                           {"data/skins", "<dir>"},
                           {"app.ini", "current settings"},
                           {"app.ini.bak", "current settings"},
                           {"new.ini", "new settings"},
                           {"plugins", "<dir>"},
                           {"plugins/viewer.dll", "viewer"},
                           {"root", "-> /"},
                           {"script.dat", ReadFile(app + "/script.dat")},
                       }));
  EXPECT_EQ(Snapshot(work), (Entries{{"a.txt", "a"}}));
}

INSTANTIATE_TEST_SUITE_P(Locales, WorkedExample, testing::Values("en_US.UTF-8", "ko_KR.UTF-8"),
                         [](const auto& info) { return info.index == 0 ? "English" : "Korean"; });

}  // namespace
