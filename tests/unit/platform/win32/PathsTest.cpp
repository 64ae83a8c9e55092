#include <gtest/gtest.h>

#include "platform/Paths.h"

namespace {

TEST(Paths, TheWindowsRules) {
  const struct {
    std::string path;
    bool absolute;
  } absolute[] = {
      {"C:\\App", true},
      {"c:/app", true},
      {"C:", true},
      {"C:x", true},
      {"x:y:z", true},
      {"\\\\server\\share", true},
      {"//server/share", true},
      {"\\\\?\\C:\\", true},
      {"data\\skins", false},
      {"\\data", false},
      {"", false},
      {"..\\x", false},
  };
  for (const auto& c : absolute) EXPECT_EQ(platform::IsAbsolutePath(c.path), c.absolute) << c.path;

  const struct {
    std::string resolved;
    bool root;
  } roots[] = {
      {"C:\\", true},
      {"D:", true},
      {"\\\\server\\share", true},
      {"\\\\server\\share\\", true},
      {"C:\\App", false},
      {"\\\\server\\share\\folder", false},
  };
  for (const auto& c : roots) EXPECT_EQ(platform::IsRootPath(c.resolved), c.root) << c.resolved;
  EXPECT_EQ(platform::kPathSeparator, '\\');
  EXPECT_TRUE(platform::IsPathSeparator('/'));
}

TEST(Paths, ResolvedPathsAreFullAndExist) {
  EXPECT_EQ(platform::ResolvedPath("C:\\windows\\system32\\.."), "C:\\windows");
  EXPECT_EQ(platform::ResolvedPath("C:\\no\\such\\folder"), "");
  EXPECT_EQ(platform::ResolvedPath(""), "");
}

}  // namespace
