#include "platform/Environment.h"
#include "platform/Files.h"
#include "script/ScriptPaths.h"

// Where the Windows shell would find a program by itself, the lookup is ours.
std::string ProgramToStart(const std::string& program, const std::string& programFolder) {
  if (program.empty()) return {};
  if (platform::IsAbsolutePath(program)) return program;
  const std::string inProgramFolder = programFolder + program;
  if (program.find(platform::kPathSeparator) != std::string::npos) return inProgramFolder;
  if (platform::IsExecutableFile(inProgramFolder)) return inProgramFolder;
  return platform::FindOnPath(program);
}

std::string RegistrationTool() {
  std::string tool = platform::FindOnPath("regsvr32.exe");
  if (tool.empty()) tool = platform::FindOnPath("regsvr32");
  return tool;
}
