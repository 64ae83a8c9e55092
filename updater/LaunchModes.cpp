#include "updater/LaunchModes.h"

#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/UpdateJournal.h"

namespace {

constexpr uint32_t kRelayDelayMs = 1000;

}  // namespace

TCommandLine::TCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) params_.emplace_back(argv[i]);
}

std::string TCommandLine::ParamStr(int index) const {
  if (index < 1 || index > ParamCount()) return {};
  return params_[static_cast<size_t>(index - 1)];
}

void CopySelfTo(const std::string& target, const TProgramContext& context) {
  if (!platform::SetCurrentDirectory(context.ProgramFolder)) return;
  // Written beside the target and renamed over it: a running Updater.exe can
  // be replaced, and a failed copy never leaves a half-written updater.
  platform::CopyOverProgram(context.ExecutablePath, target);
}

int RunLaunchMode(const TCommandLine& commandLine, const TProgramContext& context,
                  const std::function<void(const TCommandLine&)>& runUpdate) {
  const std::string word = commandLine.ParamStr(1);
  const std::string& folder = context.ProgramFolder;
  if (word != "UPDATER_UP" && word != "MAIN_UP" && word != "LANG_CHANGE") return 0;
  // Before a relay copies itself or a new run begins: an installation left
  // half updated by a killed run becomes what it was.
  platform::RecoverInterruptedUpdates(folder);
  if (word == "UPDATER_UP") {
    platform::Sleep(kRelayDelayMs);
    CopySelfTo(folder + "Updater.exe", context);
    platform::ShellOpen(folder + commandLine.ParamStr(2), "UPDATER_UP");
  } else if (word == "MAIN_UP") {
    if (runUpdate) runUpdate(commandLine);
  } else if (word == "LANG_CHANGE") {
    platform::Sleep(kRelayDelayMs);
    const std::string mainExe = commandLine.ParamStr(3);
    platform::ShellOpen(folder + mainExe, "LANG_CHANGE \"" + mainExe + "\"");
  }
  return 0;
}
