#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/tools/Processes.h"
#include "tests/tools/Utf8Path.h"

// What the writer's and the journal's suites need around the writer itself.
// The shared part is WriterTesting.cpp; what differs by platform is in
// posix/ and win32/.
namespace writer_testing {

// UTF-8 paths, whatever the system's own narrow encoding.
inline std::filesystem::path Native(const std::string& path) {
  return testing_tools::U8Path(path);
}
// Writes `text` to `path`, making its folders.
void Write(const std::string& path, const std::string& text);
std::string Read(const std::string& path);
// Names in `folder` that start with `prefix`.
std::vector<std::string> Named(const std::string& folder, const std::string& prefix);

// Permission bits as the writer keeps them here: the bits themselves on
// POSIX; on Windows only the read-only attribute, 0444 with it, 0666
// without.
uint32_t ModeOf(const std::string& path);
void SetMode(const std::string& path, uint32_t mode);
// What `mode` is, kept as ModeOf says.
uint32_t Kept(uint32_t mode);
// `path`'s own times (a link is not followed): `seconds` and a few
// nanoseconds more for the modification.
void SetTimes(const std::string& path, int64_t seconds);
// Seconds of `path`'s last modification, since the Unix epoch.
int64_t ModifiedSeconds(const std::string& path);
// A file's identity: kept by a rename, another for a copy.
std::string Identity(const std::string& path);
// `link`, a link to `target` (a folder, or a file where `folder` is false);
// false where this system cannot make one.
bool MakeLink(const std::string& link, const std::string& target, bool folder);

// Starts `program` with `args` in `folder` and waits until it has written
// the file `ready` (at once, as writer_child and the fake main application
// do), which says `expected` when it has done its part; null, with `why`,
// when it did not. The program is ended, as a kill would end it, when the
// result goes.
std::unique_ptr<testing_tools::StartedProgram> StartReady(
    const std::string& program, const std::vector<std::string>& args, const std::string& folder,
    const std::string& ready, const std::string& expected, std::string* why);

// Keeps the file `path` from being deleted while the result lives: on
// Windows a program (a copy of the fake main application made in `scratch`)
// holds it open without sharing, as a running program holds its own files;
// on Linux it is immutable. Null, with `why`, when that failed; `possible`
// false when this system or file system has no way to.
std::shared_ptr<void> Undeletable(const std::string& path, const std::string& scratch,
                                  std::string* why, bool* possible);

// The suites' child program (writer_child.cpp) built beside them.
std::string WriterChildPath();

}  // namespace writer_testing
