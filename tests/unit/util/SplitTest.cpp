#include <gtest/gtest.h>

#include "util/QVUtils.h"

namespace {

TEST(SplitByChar, Cases) {
  const struct {
    std::string text;
    char32_t delimiter;
    TArrayString expected;
  } cases[] = {
      {"a,,b", U',', {"a", "", "b"}},
      {"a,", U',', {"a"}},
      {",", U',', {""}},
      {",a", U',', {"", "a"}},
      {"", U',', {}},
      {"a b  c", U' ', {"a", "b", "", "c"}},
      {"한,글", U',', {"한", "글"}},
      {"a\xC2\xA7"
       "b",
       U'\u00A7',
       {"a", "b"}},  // below U+0100, outside ASCII
      {"a\xE2\x82\xAC"
       "b",
       U'\u20AC',
       {"a\xE2\x82\xAC"
        "b"}},  // not recognised
  };
  for (const auto& c : cases) EXPECT_EQ(SplitByChar(c.text, c.delimiter), c.expected) << c.text;
}

TEST(ItemAt, OutOfRangeGivesEmpty) {
  const TArrayString items = {"x", "y"};
  const struct {
    int32_t index;
    std::string expected;
  } cases[] = {{-1, ""}, {0, "x"}, {1, "y"}, {2, ""}, {INT32_MAX, ""}, {INT32_MIN, ""}};
  for (const auto& c : cases) EXPECT_EQ(ItemAt(c.index, items), c.expected) << c.index;
  EXPECT_EQ(ItemAt(0, {}), "");
}

}  // namespace
