#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "sevenzip/SevenZip.h"

// What the Windows suites need besides the shared fixtures: Windows paths,
// attributes, files held without sharing, and the archives the host made.
namespace sevenzip_test {

// A file of the fixtures the Linux side made (SEVENZIP_FIXTURES).
std::string Fixture(const std::string& name);
// The folder of the running test program, with its trailing backslash.
std::string ProgramFolder();

// GetFileAttributesW, INVALID_FILE_ATTRIBUTES when nothing is there.
uint32_t Attributes(const std::string& path);
bool SetAttributes(const std::string& path, uint32_t attributes);

// Holds `path` open without sharing until it goes; null when it cannot.
class THeldFile {
 public:
  virtual ~THeldFile() = default;
};
std::unique_ptr<THeldFile> HoldWithoutSharing(const std::string& path);

inline constexpr int64_t kOldTime = 1'000'000'000;  // 2001-09-09

// A tree with nested folders, an empty file, an empty folder and a Korean
// name; a.txt is dated kOldTime.
void MakeTree(const std::string& root);
// Every file below `root` ('/' between the parts) with its content, folders
// as "".
std::map<std::string, std::string> Contents(const std::string& root);
// Adds every file and folder below `src`, named relative to it.
int32_t AddTree(TSevenZip& z, const std::string& archive, const std::string& src);
// Extracts every item of `archive` into `out`.
int32_t ExtractAll(TSevenZip& z, const std::string& archive, const std::string& out,
                   ExtractOpts options = ExtractOverwrite);

}  // namespace sevenzip_test
