#include "script/ScriptPaths.h"

#include <filesystem>

#include "platform/Environment.h"
#include "platform/Files.h"

bool IsScriptFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

std::string InProgramFolder(const std::string& path, const std::string& programFolder) {
  if (!path.empty() && path.front() == platform::kPathSeparator) return path;
  return programFolder + path;
}

std::optional<std::string> TreeToRemove(std::string path) {
  while (path.size() > 1 && path.back() == platform::kPathSeparator) path.pop_back();
  if (path.empty()) return std::nullopt;
  std::error_code ec;
  const std::filesystem::path resolved = std::filesystem::canonical(path, ec);
  if (ec || resolved == "/") return std::nullopt;
  // The removal would resolve "x/." through a link at x and empty the folder
  // behind it, so such a path is taken for the folder it names.
  const std::string last = path.substr(path.rfind(platform::kPathSeparator) + 1);
  if (last == "." || last == "..") return resolved.string();
  return path;
}

std::string ProgramToStart(const std::string& program, const std::string& programFolder) {
  if (program.empty()) return {};
  if (program.front() == platform::kPathSeparator) return program;
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
