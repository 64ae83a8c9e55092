#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/Files.h"
#include "platform/Text.h"
#include "script/QVScript.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/Utf8Path.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

namespace fs = std::filesystem;
using script_test::WriteFile;
using testing_tools::TempDir;
using testing_tools::U8Path;

std::string Utf16Bytes(const std::string& text, bool bigEndian) {
  std::string bytes;
  for (char16_t unit : platform::Utf8ToUtf16(text)) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? high : low;
    bytes += bigEndian ? low : high;
  }
  return bytes;
}

// Two lines that each create a folder; the second names `second`, which has
// non-ASCII letters where the encoding carries them, so a wrong decoding shows.
std::string TwoLines(const std::string& folder, const std::string& second, const std::string& end,
                     bool lastEnds) {
  return "DIR CREATE " + folder + "/one" + end + "DIR CREATE " + folder + "/" + second +
         (lastEnds ? end : "");
}

// Without a mark the text is in the system's code page, whose non-ASCII
// letters differ between systems: those files get a plain name.
const std::string kUnicodeName = "tw\xC3\xB6-\xED\x95\x9C";
const std::string kPlainName = "two";

TEST(RunScriptFile, ByteOrderMarksAndLineEnds) {
  using Encode = std::function<std::string(const std::string&)>;
  const Encode plain = [](const std::string& text) { return text; };
  const struct {
    const char* name;
    Encode encode;
    std::string second;
    std::string end;
    bool lastEnds;
    bool runs;
  } cases[] = {
      {"no mark, CR LF", plain, kPlainName, "\r\n", true, true},
      {"UTF-8 mark", [](const std::string& t) { return "\xEF\xBB\xBF" + t; }, kUnicodeName, "\r\n",
       true, true},
      {"UTF-16LE mark", [](const std::string& t) { return "\xFF\xFE" + Utf16Bytes(t, false); },
       kUnicodeName, "\r\n", true, true},
      {"UTF-16BE mark", [](const std::string& t) { return "\xFE\xFF" + Utf16Bytes(t, true); },
       kUnicodeName, "\n", false, true},
      // Read as 8-bit text, the first NUL byte ends the text after "D".
      {"UTF-16LE without a mark", [](const std::string& t) { return Utf16Bytes(t, false); },
       kUnicodeName, "\r\n", true, false},
      {"CR only", plain, kPlainName, "\r", true, true},
      {"LF only", plain, kPlainName, "\n", true, true},
      {"last line without an end", plain, kPlainName, "\r\n", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string script = dir / "script.dat";
    WriteFile(script, c.encode(TwoLines(dir.path(), c.second, c.end, c.lastEnds)));
    RunScriptFile(script, platform::ProgramFolder());
    EXPECT_EQ(fs::is_directory(U8Path(dir / "one")), c.runs);
    EXPECT_EQ(fs::is_directory(U8Path(dir / c.second)), c.runs);
    EXPECT_EQ(script_test::Snapshot(dir.path()).size(), c.runs ? 3u : 1u);
  }
}

TEST(RunScriptFile, TextEndsAtTheFirstNul) {
  TempDir dir;
  const std::string script = dir / "script.dat";
  WriteFile(script, "DIR CREATE " + dir.path() + "/before\n" + std::string(1, '\0') +
                        "\nDIR CREATE " + dir.path() + "/after\n");
  RunScriptFile(script, platform::ProgramFolder());
  EXPECT_TRUE(fs::is_directory(U8Path(dir / "before")));
  EXPECT_FALSE(fs::exists(U8Path(dir / "after")));
}

TEST(RunScriptFile, NothingRunsWithoutAScriptFile) {
  TempDir dir;
  fs::create_directory(dir / "script.dat");
  RunScriptFile(dir / "missing.dat", platform::ProgramFolder());
  RunScriptFile(dir / "script.dat", platform::ProgramFolder());  // a folder is no script
  RunScriptFile("", platform::ProgramFolder());
  EXPECT_EQ(script_test::Snapshot(dir.path()).size(), 1u);
}

}  // namespace
