// What only the Windows forms of the file services do.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/Files.h"
#include "tests/tools/TempDir.h"

namespace {

TEST(Files, DevicesAreNoRegularFiles) {
  testing_tools::TempDir dir;
  std::ofstream(dir / "file") << "x";
  EXPECT_TRUE(platform::IsRegularFile(dir / "file"));
  EXPECT_FALSE(platform::IsRegularFile("NUL"));
  EXPECT_FALSE(platform::IsRegularFile(dir.path()));
  EXPECT_FALSE(platform::IsRegularFile(dir / "missing"));
}

}  // namespace
