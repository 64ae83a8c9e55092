#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Paths.h"

namespace platform {

// The running executable, and its folder with a trailing separator. The
// program's entry reads them once and passes them on.
std::string ExecutablePath();
std::string ProgramFolder();
// The folder part of a path, with its trailing separator ("./" for a bare name).
std::string FolderOf(const std::string& path);

bool SetCurrentDirectory(const std::string& path);
std::string CurrentDirectory();

bool FileExists(const std::string& path);  // anything but a folder
// A regular file, through links: no folder, pipe or device.
bool IsRegularFile(const std::string& path);
bool DirectoryExists(const std::string& path);
bool CreateDirectory(const std::string& path);    // one level
bool CreateDirectories(const std::string& path);  // with its parents
bool DeleteFile(const std::string& path);         // never a folder
bool RemoveTree(const std::string& path);         // never follows links
bool FileSize(const std::string& path, int64_t* size);

// Copies the content and the permission bits, replacing the target unless
// `failIfExists`.
bool CopyFile(const std::string& from, const std::string& to, bool failIfExists = false);

// Copies to a temporary name beside the target and renames it over, so the
// target is never half-written and may be a running executable.
bool CopyFileAtomic(const std::string& from, const std::string& to);

// Copies `from` over `to`, a program that may be running, as CopyFileAtomic
// does. Where the system refuses to replace a running program's file
// (Windows), that file is renamed aside under a temporary name first, and
// the start-up sweep of stale temporaries deletes it once it has ended.
bool CopyOverProgram(const std::string& from, const std::string& to);

// Renames without replacing an existing target; across file systems it
// copies and deletes.
bool MoveFileNoReplace(const std::string& from, const std::string& to);

// The whole content of a file; false when it cannot be read.
bool ReadFile(const std::string& path, std::string* content);

// Adds the owner's execute bit.
bool MakeOwnerExecutable(const std::string& path);

}  // namespace platform
