#include <gtest/gtest.h>

#include <fstream>

#include "platform/Ini.h"
#include "tests/tools/TempDir.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Ini, WritesKeyKeepingEverythingElse) {
  const struct {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"missing file", "", "[config]\nversion=2.1.0\n"},
      {"replaces value, other case",
       "; comment\n[Config]\nVersion = 1.0\nlang=ko\n[other]\nversion=9\n",
       "; comment\n[Config]\nversion=2.1.0\nlang=ko\n[other]\nversion=9\n"},
      {"adds key at the section's end", "[config]\nlang=ko\n\n[other]\nx=1\n",
       "[config]\nlang=ko\nversion=2.1.0\n\n[other]\nx=1\n"},
      {"adds section", "[other]\nx=1\n", "[other]\nx=1\n[config]\nversion=2.1.0\n"},
      {"keeps CR LF", "[config]\r\nversion=1\r\n", "[config]\r\nversion=2.1.0\r\n"},
      {"last line without end", "[config]\nversion=1", "[config]\nversion=2.1.0"},
  };
  for (const auto& c : cases) {
    testing_tools::TempDir dir;
    const std::string path = dir / "version.ini";
    if (!c.before.empty()) std::ofstream(path, std::ios::binary) << c.before;
    ASSERT_TRUE(platform::WriteProfileString(path, "config", "version", "2.1.0")) << c.name;
    EXPECT_EQ(Read(path), c.after) << c.name;
    EXPECT_EQ(platform::ReadProfileString(path, "config", "version"), "2.1.0") << c.name;
  }
}

TEST(Ini, UnwritableFolderFailsAndLeavesTheFile) {
  testing_tools::TempDir dir;
  EXPECT_FALSE(platform::WriteProfileString(dir / "missing/version.ini", "config", "version", "1"));
}

}  // namespace
