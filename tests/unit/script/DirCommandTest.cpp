#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Files.h"
#include "script/QVScript.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Entries = std::map<std::string, std::string>;
using script_test::InFolder;
using script_test::Snapshot;
using script_test::WriteFile;
using testing_tools::TempDir;

TEST(DirCommand, CreateMakesEveryMissingParent) {
  TempDir dir;
  fs::create_directory(dir / "kept");
  WriteFile(dir / "kept/file.txt", "x");
  WriteFile(dir / "file.txt", "");
  RunScript(
      InFolder("DIR CREATE {d}/a/b/c\nDIR CREATE {d}/kept\nDIR CREATE {d}/file.txt/x", dir.path()),
      platform::ProgramFolder());
  EXPECT_EQ(Snapshot(dir.path()), (Entries{{"a", "<dir>"},
                                           {"a/b", "<dir>"},
                                           {"a/b/c", "<dir>"},
                                           {"kept", "<dir>"},
                                           {"kept/file.txt", "x"},
                                           {"file.txt", ""}}));
}

}  // namespace
