#include <gtest/gtest.h>

#include <sys/stat.h>
#include "platform/Files.h"

#include <filesystem>
#include <functional>

#include "platform/Text.h"
#include "script/QVScript.h"
#include "tests/tools/TempDir.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;
using script_test::WriteFile;
using testing_tools::TempDir;

std::string Utf16Bytes(const std::string& text, bool bigEndian) {
  std::string bytes;
  for (char16_t unit : platform::Utf8ToUtf16(text)) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

// Two lines that each create a folder; the second names one with non-ASCII
// letters, so a wrong decoding shows.
std::string TwoLines(const std::string& folder, const std::string& end, bool lastEnds) {
  return "DIR CREATE " + folder + "/one" + end + "DIR CREATE " + folder +
         "/tw\xC3\xB6-\xED\x95\x9C" + (lastEnds ? end : "");
}

TEST(RunScriptFile, ByteOrderMarksAndLineEnds) {
  using Encode = std::function<std::string(const std::string&)>;
  const Encode plain = [](const std::string& text) { return text; };
  const struct {
    const char* name;
    Encode encode;
    std::string end;
    bool lastEnds;
    bool runs;
  } cases[] = {
      {"no mark, CR LF", plain, "\r\n", true, true},
      {"UTF-8 mark", [](const std::string& t) { return "\xEF\xBB\xBF" + t; }, "\r\n", true, true},
      {"UTF-16LE mark", [](const std::string& t) { return "\xFF\xFE" + Utf16Bytes(t, false); },
       "\r\n", true, true},
      {"UTF-16BE mark", [](const std::string& t) { return "\xFE\xFF" + Utf16Bytes(t, true); }, "\n",
       false, true},
      // Read as UTF-8, the first NUL byte ends the text after "D".
      {"UTF-16LE without a mark", [](const std::string& t) { return Utf16Bytes(t, false); }, "\r\n",
       true, false},
      {"CR only", plain, "\r", true, true},
      {"LF only", plain, "\n", true, true},
      {"last line without an end", plain, "\r\n", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string script = dir / "script.dat";
    WriteFile(script, c.encode(TwoLines(dir.path(), c.end, c.lastEnds)));
    RunScriptFile(script, platform::ProgramFolder());
    EXPECT_EQ(fs::is_directory(dir / "one"), c.runs);
    EXPECT_EQ(fs::is_directory(dir / "tw\xC3\xB6-\xED\x95\x9C"), c.runs);
    EXPECT_EQ(script_test::Snapshot(dir.path()).size(), c.runs ? 3u : 1u);
  }
}

TEST(RunScriptFile, TextEndsAtTheFirstNul) {
  TempDir dir;
  const std::string script = dir / "script.dat";
  WriteFile(script, "DIR CREATE " + dir.path() + "/before\n" + std::string(1, '\0') +
                        "\nDIR CREATE " + dir.path() + "/after\n");
  RunScriptFile(script, platform::ProgramFolder());
  EXPECT_TRUE(fs::is_directory(dir / "before"));
  EXPECT_FALSE(fs::exists(dir / "after"));
}

TEST(RunScriptFile, NothingRunsWithoutAScriptFile) {
  TempDir dir;
  fs::create_directory(dir / "script.dat");
  RunScriptFile(dir / "missing.dat", platform::ProgramFolder());
  RunScriptFile(dir / "script.dat", platform::ProgramFolder());  // a folder is no script
  // Nor is a pipe: reading one would wait for a writer for ever.
  ASSERT_EQ(mkfifo((dir / "pipe.dat").c_str(), 0600), 0);
  RunScriptFile(dir / "pipe.dat", platform::ProgramFolder());
  RunScriptFile("", platform::ProgramFolder());
  EXPECT_EQ(script_test::Snapshot(dir.path()).size(), 2u);
}

}  // namespace
