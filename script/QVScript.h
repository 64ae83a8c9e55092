#pragma once

#include <string>

#include "util/QVUtils.h"

// The post-update script ("script.dat"): one command a line, for the
// file-system changes that unpacking alone cannot express. Nothing here
// reports or throws: a line that fails is passed over and the next one runs.

// Runs the script stored in `fileName`; a missing or unreadable file runs
// nothing. `programFolder` (with its trailing separator) is where DIR paths
// and RUN programs are taken from and where started programs run.
void RunScriptFile(const std::string& fileName, const std::string& programFolder);

// Runs script text already in memory (UTF-8).
void RunScript(const std::string& text, const std::string& programFolder);

// Removes a folder and everything in it for good. Symbolic links inside it
// are removed, never followed; a root is never removed.
void DeleteDirectoryTree(const std::string& path);

// The command handlers; `tokens` is the whole line, token 0 the command word.
void FileCommand(const TArrayString& tokens);
void DirCommand(const TArrayString& tokens, const std::string& programFolder);
void ApiCommand(const TArrayString& tokens);
void RunCommand(const TArrayString& tokens, const std::string& programFolder);
void Regsvr32Command(const TArrayString& tokens, const std::string& programFolder);
