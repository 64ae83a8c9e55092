#pragma once

#include <optional>
#include <string>

// How the script's commands turn the paths they are given into the paths they
// act on.

// A source that "exists as a file": a regular file, through links. Folders,
// pipes and devices are not copied, moved or deleted by a script.
bool IsScriptFile(const std::string& path);

// A folder path of DIR: kept when absolute, else taken in the program folder.
std::string InProgramFolder(const std::string& path, const std::string& programFolder);

// The tree that removing `path` would remove, or nothing when `path` is empty,
// cannot be resolved or resolves to a root. Trailing separators are dropped;
// a path ending in "." or ".." stands for the folder it resolves to.
std::optional<std::string> TreeToRemove(std::string path);

// The program RUN starts. On Windows the name as written (the shell finds
// it). On Linux an absolute path as it is, a relative one with a separator in
// the program folder, a bare name from the program folder, else from PATH;
// empty when there is none.
std::string ProgramToStart(const std::string& program, const std::string& programFolder);

// The registration tool: "regsvr32.exe" on Windows; on Linux from PATH
// ("regsvr32.exe", else "regsvr32"), or empty.
std::string RegistrationTool();
