// What only the Windows forms of the file services do.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Files.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/Processes.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/Wait.h"

namespace {

namespace fs = std::filesystem;
using testing_tools::TempDir;

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Files, DevicesAreNoRegularFiles) {
  TempDir dir;
  std::ofstream(dir / "file") << "x";
  EXPECT_TRUE(platform::IsRegularFile(dir / "file"));
  EXPECT_FALSE(platform::IsRegularFile("NUL"));
  EXPECT_FALSE(platform::IsRegularFile(dir.path()));
  EXPECT_FALSE(platform::IsRegularFile(dir / "missing"));
}

// A running main application holds its executable and its libraries: no
// copy, move or deletion gets through until it has ended, and none leaves a
// half-written file or a temporary behind.
TEST(Files, WhatAnotherProcessHoldsWithoutSharingStaysWholeUntilItEnds) {
  TempDir dir;
  const std::string app = dir / "app.exe", library = dir / "lib.dll", update = dir / "new.dll";
  fs::copy_file(testing_tools::FakeMainPath(), app);
  std::ofstream(library, std::ios::binary) << "old library";
  std::ofstream(update, std::ios::binary) << "new library";
  std::ofstream(app + ".hold") << app << '\n' << library << '\n';
  {
    testing_tools::StartedProgram holder(app, {}, dir.path());
    ASSERT_TRUE(holder.started());
    ASSERT_TRUE(testing_tools::WaitUntil([&] { return fs::exists(app + ".holding"); }, 10000));
    EXPECT_FALSE(platform::CopyFile(update, library));
    EXPECT_FALSE(platform::CopyFileAtomic(update, library));
    EXPECT_FALSE(platform::DeleteFile(library));
    EXPECT_FALSE(platform::MoveFileNoReplace(library, dir / "moved.dll"));
    EXPECT_FALSE(platform::CopyOverProgram(update, app));
  }  // ends the holder
  EXPECT_EQ(Read(library), "old library");
  EXPECT_TRUE(platform::CopyFileAtomic(update, library));
  EXPECT_EQ(Read(library), "new library");
  for (const auto& entry : fs::directory_iterator(dir.path()))
    EXPECT_NE(entry.path().filename().string().rfind(".~", 0), 0u) << entry.path();
}

}  // namespace
