// The post-update script text, run in a program folder of its own.
//
// The script acts on whatever paths it is given, so inputs that could reach
// outside the program folder (an absolute path, a ".." anywhere) are not run.
// Nothing can be started either: the program folder holds no executable file
// and there is no PATH. Pauses are not run, as they would only slow the
// fuzzer down.
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/Files.h"
#include "platform/LocaleUpper.h"
#include "script/QVScript.h"
#include "script/ScriptText.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

std::filesystem::path gProgramFolder;
std::string gSelfName;
int gStartFolder = -1;

bool CouldLeaveProgramFolder(std::string_view text) {
  // Tokens are separated by single blanks; the first one is the command word.
  return text.find("..") != std::string_view::npos || text.find(" /") != std::string_view::npos;
}

bool AsksForPause(const std::string& text) {
  for (const std::string& line : SplitScriptLines(text)) {
    const TArrayString tokens = SplitByChar(TrimLine(line), U' ');
    try {
      if (platform::LocaleUpper(ItemAt(0, tokens)) == "API" &&
          platform::LocaleUpper(ItemAt(1, tokens)) == "SLEEP" &&
          SleepMilliseconds(ItemAt(2, tokens)) > 0)
        return true;
    } catch (...) {
    }
  }
  return false;
}

// Files and folders for the commands to act on; the seed scripts name them.
void Populate(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder / "sub" / "deeper");
  std::ofstream(folder / "a.txt") << "alpha";
  std::ofstream(folder / "b.dll") << "bravo";
  std::ofstream(folder / "sub" / "c.txt") << "charlie";
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  gProgramFolder = fuzzing::RelaunchInOwnProgramFolder(*argv);
  gSelfName = std::filesystem::path(platform::ExecutablePath()).filename().string();
  gStartFolder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (gStartFolder < 0) fuzzing::Fail("cannot open the current folder");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text =
      DecodeScriptBytes(std::string_view(reinterpret_cast<const char*>(data), size));
  if (CouldLeaveProgramFolder(text) || AsksForPause(text)) return -1;

  // A script may have removed the program folder itself, the copy of this
  // program with it; the copy goes on running, and nothing new is started.
  const std::filesystem::path scratch = gProgramFolder.parent_path();
  fuzzing::ClearFolder(gProgramFolder, {gSelfName});
  Populate(gProgramFolder);
  if (::chdir(gProgramFolder.c_str()) != 0) fuzzing::Fail("cannot enter the program folder");

  RunScript(text, gProgramFolder.string() + "/");

  if (::fchdir(gStartFolder) != 0) fuzzing::Fail("cannot return to the start folder");
  for (const std::string& name : fuzzing::NamesIn(scratch))
    if (name != gProgramFolder.filename()) fuzzing::Fail("the script made " + name + " outside");
  return 0;
}
