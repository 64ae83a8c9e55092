#pragma once

#include <filesystem>
#include <map>
#include <set>
#include <string>

// Helpers shared by the fuzz targets.
namespace fuzzing {

// A fresh folder for one fuzz process, removed with its content when the
// object goes. Kept in memory (/dev/shm) where the machine has it, as a fuzz
// run writes many small files.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A finding: prints it and aborts, so that the fuzzer keeps the input.
[[noreturn]] void Fail(const std::string& what);

// The names directly inside `folder` (none when it is missing).
std::set<std::string> NamesIn(const std::filesystem::path& folder);

// Empties `folder` (creating it when missing), keeping the names in `keep`.
void ClearFolder(const std::filesystem::path& folder, const std::set<std::string>& keep = {});

// Where each stored name would land below `base` if taken literally
// (backslashes as separators), for the names that lead outside `scratch`;
// with whether something is there now.
std::map<std::filesystem::path, bool> OutsideTargets(const std::set<std::string>& names,
                                                     const std::filesystem::path& base,
                                                     const std::filesystem::path& scratch);

// After an extraction of <scratch>/a/b/<package> into <scratch>/a/b/out:
// fails unless nothing else was written from `scratch` down, none of the
// `outside` targets that were missing appeared, and no link was made in out.
void CheckConfined(const std::filesystem::path& scratch, const std::string& package,
                   const std::map<std::filesystem::path, bool>& outside);

// Runs this program again from a copy of itself in a fresh program folder,
// without PATH, so that the code under test sees that folder as its program
// folder and finds no program to start there or on a search path. The first
// call returns only in the copy, with the program folder; the original waits
// for the copy, removes the folder and exits with the copy's status.
std::filesystem::path RelaunchInOwnProgramFolder(char** argv);

}  // namespace fuzzing
