#include <gtest/gtest.h>

#include <fstream>

#include "platform/Ini.h"
#include "tests/tools/TempDir.h"

namespace {

// `key` of [config] as the profile reader finds it in a file of `content`.
std::string ReadBack(const std::string& content, const std::string& key) {
  testing_tools::TempDir dir;
  std::ofstream(dir / "version.ini", std::ios::binary) << content;
  return platform::ReadProfileString(dir / "version.ini", "config", key);
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
    EXPECT_EQ(platform::SetProfileStringInText(c.before, "config", "version", "2.1.0"), c.after)
        << c.name;
    EXPECT_EQ(ReadBack(c.after, "version"), "2.1.0") << c.name;
  }
}

// A line ends as it ended before; only the key's line changes.
TEST(Ini, KeepsEveryOtherByte) {
  const struct {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"mixed line ends", "a=1\r\n[config]\nversion=1\r\nb=2\n",
       "a=1\r\n[config]\nversion=2\r\nb=2\n"},
      {"added after a last line without end", "[config]\r\nlang=ko",
       "[config]\r\nlang=ko\r\nversion=2\r\n"},
      {"bytes that are no UTF-8", "[config]\n\xff\xfe=\x80\nversion=1\n",
       "[config]\n\xff\xfe=\x80\nversion=2\n"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform::SetProfileStringInText(c.before, "config", "version", "2"), c.after)
        << c.name;
}

// Bytes of a UTF-16LE text with its byte-order mark.
std::string Utf16(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// As the profile service keeps it: a file with the mark stays UTF-16LE and
// its key changes in place.
TEST(Ini, Utf16FileStaysUtf16) {
  const struct {
    const char* name;
    std::string before;
    std::string after;
  } cases[] = {
      {"key in place", Utf16(u"[config]\r\nversion=1.0\r\nname=젤바\r\n"),
       Utf16(u"[config]\r\nversion=2.0 베타\r\nname=젤바\r\n")},
      {"key added to its section", Utf16(u"[config]\r\nname=젤바\r\n[x]\r\n"),
       Utf16(u"[config]\r\nname=젤바\r\nversion=2.0 베타\r\n[x]\r\n")},
      {"section added", Utf16(u"[x]\r\n"), Utf16(u"[x]\r\n[config]\r\nversion=2.0 베타\r\n")},
      {"mark alone", Utf16(u""), Utf16(u"[config]\nversion=2.0 베타\n")},
      {"a lone surrogate and an odd last byte stay",
       Utf16(std::u16string(u"[config]\nversion=1\n") + char16_t(0xD800) + u"\n") + "\x41",
       Utf16(std::u16string(u"[config]\nversion=2.0 베타\n") + char16_t(0xD800) + u"\n") + "\x41"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::SetProfileStringInText(c.before, "config", "version", "2.0 베타"), c.after)
        << c.name;
    EXPECT_EQ(ReadBack(c.after, "version"), "2.0 베타") << c.name;
  }
}

}  // namespace
