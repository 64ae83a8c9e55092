#include <gtest/gtest.h>

#include "platform/CommandLine.h"

namespace {

using Args = std::vector<std::string>;

TEST(SplitCommandLine, FollowsTheWindowsReadingRules) {
  const struct {
    std::string text;
    Args expected;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"UPDATER_UP", {"UPDATER_UP"}},
      {"UPDATER_UP \"My App.exe\"", {"UPDATER_UP", "My App.exe"}},
      {"a\tb\nc", {"a", "b", "c"}},                  // every control character separates
      {"say\"hello world\"!", {"sayhello world!"}},  // a quoted stretch inside a parameter
      {"\"\"", {""}},                                // an empty quoted parameter survives
      {"C:\\dir\\ \"x\\\"", {"C:\\dir\\", "x\\"}},   // a backslash escapes nothing
      {"\"unterminated rest", {"unterminated rest"}},
      {"/verysilent /patch=\"/a b/p.exe\"", {"/verysilent", "/patch=/a b/p.exe"}},
      {"한글 \"이름 있는\"", {"한글", "이름 있는"}},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::SplitCommandLine(c.text), c.expected) << c.text;
}

}  // namespace
