#pragma once

#include <map>
#include <optional>
#include <string>

namespace testing_tools {

// Changes to the environment of a started program: a value sets the
// variable, nothing removes it.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

// Copies the script runner into `programFolder` and has it run `scriptFile`
// from `workingDir`, then waits for it. Returns its exit status, or -1 when
// it could not be started or did not end normally.
int RunScriptInProgramFolder(const std::string& programFolder, const std::string& scriptFile,
                             const std::string& workingDir,
                             const EnvironmentChanges& environment = {});

}  // namespace testing_tools
