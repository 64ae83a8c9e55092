// Runs the script file named by its argument the way the updater does, with
// the folder this executable was copied to as the program folder.
#include "platform/Files.h"
#include "script/QVScript.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  RunScriptFile(argv[1], platform::ProgramFolder());
  return 0;
}
