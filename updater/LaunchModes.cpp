#include "updater/LaunchModes.h"

#include "platform/Files.h"
#include "platform/Process.h"

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

void CopySelfTo(const std::string& target) {
  if (!platform::SetCurrentDirectory(platform::ProgramFolder())) return;
  // Written beside the target and renamed over it: a running Updater.exe can
  // be replaced, and a failed copy never leaves a half-written updater.
  platform::CopyFileAtomic(platform::ExecutablePath(), target);
}

int RunLaunchMode(const TCommandLine& commandLine,
                  const std::function<void(const TCommandLine&)>& runUpdate) {
  const std::string word = commandLine.ParamStr(1);
  const std::string folder = platform::ProgramFolder();
  if (word == "UPDATER_UP") {
    platform::Sleep(kRelayDelayMs);
    CopySelfTo(folder + "Updater.exe");
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
