#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Show commands of a started program's first window, as Windows numbers them.
constexpr uint16_t kShowNormal = 1;  // SW_SHOWNORMAL
constexpr uint16_t kShow = 5;        // SW_SHOW

struct StartOptions {
  std::string workingDir;   // empty: inherit the caller's
  bool newSession = false;  // detach so the program outlives us
};

// Starts `program` (not searched on PATH) with argv = [program, args...].
// Start failures are reported synchronously: the result is 0 or the system's
// error code (2 for a missing program).
int StartProgram(const std::string& program, const std::vector<std::string>& args,
                 const StartOptions& options, uint32_t* pid);

// Starts `program` (not searched) with the whole `commandLine`, the program's
// own name included, and waits until it is ready for input, as
// CreateProcessW + WaitForInputIdle do. Returns 0 and the new process's id, or
// the system's error code (2 for a missing program) and 0.
int LaunchProgram(const std::string& program, const std::string& commandLine, uint16_t showWindow,
                  uint32_t* pid);

struct ShellOpenOptions {
  std::string workingDir;       // empty: the program inherits the caller's
  uint16_t show = kShowNormal;  // how its first window shows
  bool desktopOwner = false;    // the desktop window owns what the shell shows
};

// The shell's "open" (ShellExecuteW): the parameter text goes to the program
// as it is, and the program is not waited for. Returns 0 or the system's error
// code; callers normally do not look.
int ShellOpen(const std::string& file, const std::string& parameterText,
              const ShellOpenOptions& options = {});

struct ProcessEntry {
  uint32_t pid = 0;
  uint32_t parentPid = 0;
  bool ended = false;  // ended but not yet collected by its parent
};

// All processes, as a Toolhelp snapshot lists them. False when no snapshot
// can be taken.
bool SnapshotProcesses(std::vector<ProcessEntry>* entries);

// Collects a child of ours that has ended, where the system leaves that to
// the parent; harmless for any other pid.
void ReapIfChild(uint32_t pid);

// A process opened for termination (OpenProcess with PROCESS_TERMINATE),
// closed when the object goes.
class ProcessTerminator {
 public:
  // Null when the process cannot be opened for termination.
  static std::unique_ptr<ProcessTerminator> Open(uint32_t pid);
  virtual ~ProcessTerminator() = default;
  // Ends the process with exit code 0.
  virtual bool Terminate() = 0;
};

void Sleep(uint32_t milliseconds);

}  // namespace platform
