#include "script/ScriptPaths.h"

// The shell finds the program itself: in the working folder, then on the
// system's search path.
std::string ProgramToStart(const std::string& program, const std::string& programFolder) {
  return program;
}

std::string RegistrationTool() {
  return "regsvr32.exe";
}
