#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Splits a parameter text the way the Windows command line is read: a run of
// characters above U+0020 makes one argument, a double quote opens a stretch
// to the next one (quotes are dropped), and a backslash means nothing.
std::vector<std::string> SplitCommandLine(const std::string& text);

struct StartOptions {
  std::string workingDir;   // empty: inherit the caller's
  bool newSession = false;  // detach so the program outlives us
};

// Starts `program` (not searched on PATH) with argv = [program, args...].
// Exec failures are reported synchronously: the result is 0 or an errno value.
int StartProgram(const std::string& program, const std::vector<std::string>& args,
                 const StartOptions& options, uint32_t* pid);

// The shell's "open": the parameter text is split into arguments, the program
// starts in a new session and is not waited for. Returns 0 or an errno value.
int ShellOpen(const std::string& file, const std::string& parameterText,
              const std::string& workingDir = {});

struct ProcessEntry {
  uint32_t pid = 0;
  uint32_t parentPid = 0;
  char state = '?';  // as in /proc/<pid>/stat: R, S, D, Z, ...
};

// All processes from /proc. False when /proc cannot be read.
bool SnapshotProcesses(std::vector<ProcessEntry>* entries);

// Collects a child of ours that has ended; harmless for any other pid.
void ReapIfChild(uint32_t pid);

// Whether a signal could be sent (the "open for termination" step).
bool CanSignalProcess(uint32_t pid);
bool TerminateProcess(uint32_t pid);

void Sleep(uint32_t milliseconds);

}  // namespace platform
