#include <gtest/gtest.h>

#include "script/ScriptText.h"

namespace {

TEST(SleepMilliseconds, ReadsTheCountOrFallsBack) {
  const struct {
    std::string count;
    uint32_t expected;
  } cases[] = {
      {"500", 500},
      {"0", 0},
      {"+20", 20},
      {"  7", 7},
      {"", 1000},
      {"1s", 1000},
      {"0x10", 1000},
      {"12 ", 1000},
      {"-", 1000},
      {"2147483647", 2147483647u},
      {"2147483648", 1000},
      {"99999999999", 1000},
      // A negative count does not wait at all.
      {"-1", 0},
      {"-2147483648", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(SleepMilliseconds(c.count), c.expected) << c.count;
}

TEST(SplitScriptLines, EveryLineEndCountsAndNulEndsTheText) {
  using Lines = std::vector<std::string>;
  const struct {
    std::string text;
    Lines expected;
  } cases[] = {
      {"", {}},
      {"a\rb\nc\r\nd", {"a", "b", "c", "d"}},
      {"a\r\n", {"a"}},
      {"a\n\r\nb", {"a", "", "b"}},
      {"a\n\rb", {"a", "", "b"}},
      {std::string("a\nb\0c\nd", 7), {"a", "b"}},
      {std::string("\0a", 2), {}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitScriptLines(c.text), c.expected) << c.text;
}

TEST(TrimLine, RemovesControlCharactersAndBlanksAtBothEndsOnly) {
  EXPECT_EQ(TrimLine(" \t\x01 DIR\tCREATE  x \x1f\x7f\r "), "DIR\tCREATE  x \x1f\x7f");
  EXPECT_EQ(TrimLine(" \t "), "");
  // Only codes up to U+0020: a no-break space stays.
  EXPECT_EQ(TrimLine("\xC2\xA0"
                     "x"),
            "\xC2\xA0"
            "x");
}

TEST(DecodeScriptBytes, InvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(DecodeScriptBytes("\xEF\xBB\xBF"
                              "a\xC3"),
            "a\xEF\xBF\xBD");
  // An odd last byte of UTF-16 is no character; a lone surrogate is replaced.
  EXPECT_EQ(DecodeScriptBytes(std::string("\xFF\xFE"
                                          "a\0\x00\xD8"
                                          "b",
                                          7)),
            "a\xEF\xBF\xBD");
}

}  // namespace
