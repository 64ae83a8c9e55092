#include <gtest/gtest.h>

#include "platform/Paths.h"

namespace {

TEST(Paths, ThePosixRules) {
  EXPECT_TRUE(platform::IsAbsolutePath("/usr"));
  EXPECT_FALSE(platform::IsAbsolutePath("C:\\App"));  // a colon means nothing here
  EXPECT_FALSE(platform::IsAbsolutePath("usr/bin"));
  EXPECT_FALSE(platform::IsAbsolutePath(""));
  EXPECT_TRUE(platform::IsRootPath("/"));
  EXPECT_FALSE(platform::IsRootPath("/usr"));
  EXPECT_EQ(platform::kPathSeparator, '/');
  EXPECT_FALSE(platform::IsPathSeparator('\\'));
  EXPECT_EQ(platform::ResolvedPath("/usr/bin/.."), "/usr");
  EXPECT_EQ(platform::ResolvedPath("/no/such/folder"), "");
}

}  // namespace
