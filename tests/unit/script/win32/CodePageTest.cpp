// Without a byte-order mark a script is in the system's ANSI code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "platform/Files.h"
#include "script/QVScript.h"
#include "script/ScriptText.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/Utf8Path.h"
#include "tests/unit/script/ScriptTestSupport.h"

namespace {

TEST(RunScriptFile, WithoutAMarkNonAsciiNamesAreInTheAnsiCodePage) {
  const wchar_t* name = L"tw\u00F6";  // "twö"
  char bytes[16] = {};
  BOOL lossy = FALSE;
  const int length = WideCharToMultiByte(CP_ACP, 0, name, -1, bytes, sizeof bytes, nullptr, &lossy);
  if (length <= 0 || lossy) GTEST_SKIP() << "the ANSI code page " << GetACP() << " has no \u00F6";
  EXPECT_EQ(DecodeScriptBytes(bytes), "tw\xC3\xB6");

  testing_tools::TempDir dir;
  script_test::WriteFile(dir / "script.dat", "DIR CREATE " + dir.path() + "\\" + bytes + "\r\n");
  RunScriptFile(dir / "script.dat", platform::ProgramFolder());
  EXPECT_TRUE(std::filesystem::is_directory(testing_tools::U8Path(dir / "tw\xC3\xB6")));
}

}  // namespace
