#pragma once

// File-name and file routines shared by the archive component. Names are
// UTF-8; the platform separator stands where the Windows original used a
// backslash, and there are no drive letters (a colon is an ordinary
// character).

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

inline constexpr char kPathDelimiter = '/';

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
// Creates `s` and its missing parents; a non-zero `attr` with the Unix
// extension marker gives the deepest folder created its permission bits.
bool WideForceDirectories(const std::string& s, uint32_t attr);

// Attribute word <-> Unix mode. The codec keeps Unix permission bits in the
// high 16 bits with the 0x8000 marker.
uint32_t AttributesFromMode(mode_t mode);
// Permission bits for a file created from `attr`, never set-user-id,
// set-group-id or sticky; `fallback` when the word carries no Unix bits.
mode_t PermissionsFromAttributes(uint32_t attr, mode_t fallback);

// POSIX descriptors stand for the platform's file handles; -1 is invalid.
constexpr int kInvalidHandle = -1;
enum class TFileAccess { Read, ReadWrite };
enum class TFileDisposition { OpenExisting, CreateAlways, CreateNew };
int WideCreateFile(const std::string& name, TFileAccess access, TFileDisposition disposition,
                   mode_t mode = 0666);
int64_t FileSeek64(int handle, int origin, int64_t distance);
uint32_t FileSizeByName(const std::string& s);

// FILETIME (100-ns ticks since 1601-01-01 UTC) <-> Unix time.
uint64_t UnixToFileTime(int64_t seconds, int64_t nanoseconds);
bool FileTimeToUnix(uint64_t fileTime, int64_t& seconds, int64_t& nanoseconds);
// Days since 1899-12-30 (fraction = time of day), converted to local time
// when `direction` > 0 and from it when < 0.
double FileTimeToDateTime(uint64_t fileTime, int direction);

void SortIndices(std::vector<uint32_t>& indices);
// The folder lies on a removable block device.
bool IsNotFixedDrive(const std::string& path);
// The whole text is a decimal 32-bit signed integer.
bool TryParseInt(const std::string& s, int32_t& n);
