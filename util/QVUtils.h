#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Zero-based array of strings; empty means no elements.
using TArrayString = std::vector<std::string>;

struct TFileVersion {
  int32_t Major = 0;
  int32_t Minor = 0;
  int32_t Release = 0;
  int32_t Build = 0;
};

// Splits at every `delimiter`; empty elements stand between adjacent
// delimiters and before a leading one, but a trailing delimiter adds none.
// Only delimiters below U+0100 are recognised.
TArrayString SplitByChar(const std::string& text, char32_t delimiter);

// The element at `index`, or empty when there is none.
std::string ItemAt(int32_t index, const TArrayString& items);

// A decimal integer with leading blanks and a sign allowed, as the version
// parts and the process id on the command line are read; anything else,
// out-of-range values included, gives 0.
int32_t DecimalOrZero(const std::string& text);

// The FileVersion string of a file's version resource; 0.0.0.0 without one.
TFileVersion ReadFileVersion(const std::string& fileName);

// Size of a file, 0 when it is missing or a folder.
int64_t FileSizeOf(const std::string& fileName);

// Starts `programPath` with the command line "\"path\" params" and waits
// until it is ready for input. Returns 0 and the new process id, or the
// system's error code (2 for a missing program) and 0.
uint32_t LaunchProcess(const std::string& programPath, const std::string& parameters,
                       uint16_t showWindow, uint32_t& processId);

// Whether a process with that id exists; a process that has ended but not
// been collected (a zombie) is not running.
bool IsProcessRunning(uint32_t processId);

// Ends the process and its direct children (not grandchildren), never the
// calling process itself. Throws
// std::runtime_error("Failed to open process" / "Failed to terminate process")
// at the first one it cannot end. True when at least one process was ended.
bool KillProcessAndChildren(uint32_t processId);
