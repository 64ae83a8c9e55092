#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/e2e/RelaysSupport.h"

namespace {

TEST_F(Relays, TheCopiedUpdaterCanBeStarted) {
  std::filesystem::copy_file(kUpdater, Path("Updater_New.exe"));
  WriteText(Path("Updater.exe"), "old updater");
  chmod(Path("Updater.exe").c_str(), 0644);
  EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP", "App.exe"}), 0);
  struct stat st {};
  ASSERT_EQ(stat(Path("Updater.exe").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);
}

// The folder itself is handed to the start, which cannot run it.
TEST_F(Relays, UpdaterUpWithoutANameStartsNothing) {
  std::filesystem::copy_file(kUpdater, Path("Updater_New.exe"));
  EXPECT_EQ(Run(Path("Updater_New.exe"), {"UPDATER_UP"}), 0);
  EXPECT_EQ(Content(Path("Updater.exe")), Content(kUpdater));
}

}  // namespace
