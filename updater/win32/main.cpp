// The Windows entry of Updater.exe: the relays, before anything else the
// roll-back of an update that a killed run left half done.
#include "platform/win32/WinApi.h"

#include "platform/CommandLine.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "updater/LaunchModes.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    // By the command-line rules of the protocol, not the C runtime's (which
    // give a backslash before a quote a meaning); parameter 0 is our own path.
    std::vector<std::string> params =
        platform::SplitCommandLine(platform::WideToUtf8(::GetCommandLineW()));
    if (!params.empty()) params.erase(params.begin());
    const std::string executable = platform::ExecutablePath();
    const TProgramContext context{executable, platform::FolderOf(executable),
                                  platform::CurrentDirectory()};
    // "MAIN_UP" ends quietly until the update window has its Windows form.
    RunLaunchMode(TCommandLine(std::move(params)), context, {});
  } catch (...) {
  }
  return 0;
}
