#pragma once

// File-name and file routines shared by the archive component. Names are
// UTF-8. On Windows the backslash separates and a colon ends a drive, as
// the routines were specified; on Linux the slash stands for the backslash
// and a colon is an ordinary character.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileAttributes.h"
#include "platform/PathFile.h"
#include "platform/Paths.h"
#include "platform/Result.h"

inline const char kPathDelimiter = platform::kPathSeparator;

bool WideSameStr(const std::string& a, const std::string& b);
// Full, locale-independent Unicode upper-case mapping (ß becomes SS).
std::string WideUpper(const std::string& s);
// 1-based position of the last byte of `s` found in `delimiters`, 0 if none.
size_t WideLastDelimiter(const std::string& delimiters, const std::string& s);
std::string WideExtractFilePath(const std::string& s);  // with its trailing separator
std::string WideExtractFileName(const std::string& s);
std::string WideExtractFileExt(const std::string& s);  // with its dot
std::string WideChangeFileExt(const std::string& s, const std::string& ext);
void WideStripPath(std::string& s);
std::string WideExcludeBackslash(const std::string& s);
std::string WideParentDir(const std::string& s);
// Appends the separator to a non-empty text that does not end in one.
std::string AddBackslash(const std::string& s);

bool WideDirectoryExists(const std::string& s);
// Looks the entry itself up (a link is not followed). Found: returns its
// size and gives size, last-write time (100-ns ticks since 1601, UTC) and
// attributes; not found: -1, size -1, time 0, attributes 0xFFFFFFFF.
int64_t WideFileInfo(const std::string& s, int64_t& size, uint64_t& mtime, uint32_t& attr);
bool WideFileExists(const std::string& s);  // also true for a folder
// Creates `s` and its missing parents; a non-zero `attr` goes to the deepest
// folder created (on Linux only a word with the Unix bits, as its
// permission bits).
bool WideForceDirectories(const std::string& s, uint32_t attr);

using platform::PermissionsFromAttributes;

using TFileAccess = platform::FileAccess;
using TFileDisposition = platform::FileDisposition;
// Opens `name` into `file`; the result carries the platform's error code.
platform::Result WideCreateFile(const std::string& name, TFileAccess access,
                                TFileDisposition disposition, platform::PathFile* file);
// The file's size, -1 when it cannot be told.
int64_t FileSize64(const platform::PathFile& file);
uint32_t FileSizeByName(const std::string& s);

// FILETIME (100-ns ticks since 1601-01-01 UTC) <-> the platform's file times.
uint64_t ToFileTimeTicks(const platform::FileTime& time);
platform::FileTime FromFileTimeTicks(uint64_t fileTime);
// The current time as a FILETIME.
uint64_t FileTimeNow();
// Days since 1899-12-30 (fraction = time of day), converted to local time
// when `direction` > 0 and from it when < 0.
double FileTimeToDateTime(uint64_t fileTime, int direction);

void SortIndices(std::vector<uint32_t>& indices);
// The folder lies on anything but a fixed disk.
bool IsNotFixedDrive(const std::string& path);
// The whole text is a decimal 32-bit signed integer.
bool TryParseInt(const std::string& s, int32_t& n);
