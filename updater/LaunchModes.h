#pragma once

#include <functional>
#include <string>
#include <vector>

// The command-line parameters, numbered from 1 as the protocol numbers them;
// one past the last reads as empty.
class TCommandLine {
 public:
  TCommandLine(int argc, char** argv);
  explicit TCommandLine(std::vector<std::string> params) : params_(std::move(params)) {}

  std::string ParamStr(int index) const;
  int ParamCount() const { return static_cast<int>(params_.size()); }

 private:
  std::vector<std::string> params_;  // parameter 1 first
};

// Where the program runs, as its entry found it once.
struct TProgramContext {
  std::string ExecutablePath;
  std::string ProgramFolder;  // with its trailing separator
  std::string WorkingFolder;  // the process's current folder
};

// Sets the current folder to the program folder and copies the running
// executable over `target`. Failures are silent.
void CopySelfTo(const std::string& target, const TProgramContext& context);

// Runs the mode the command word selects. "MAIN_UP" is handed to `runUpdate`;
// the relays act here. Before any of the three modes acts, an update that a
// killed run left half done in the program folder is rolled back. The
// process's exit code is 0 on every path.
int RunLaunchMode(const TCommandLine& commandLine, const TProgramContext& context,
                  const std::function<void(const TCommandLine&)>& runUpdate);
