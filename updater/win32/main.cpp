// The Windows entry of Updater.exe: the relays, before anything else the
// roll-back of an update that a killed run left half done, and the update
// run in its window.
#include "platform/win32/WinApi.h"

#include <memory>

#include "http/HTTPLibrary.h"
#include "http/QVHTTP.h"
#include "platform/CommandLine.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "ui/win32/GdiplusSession.h"
#include "updater/LaunchModes.h"
#include "updater/win32/MessageLoop.h"
#include "updater/win32/untUpdaterMain.h"
#include "util/QVUtils.h"

namespace {

void RunUpdate(const TCommandLine& commandLine, const TProgramContext& context) {
  THTTPLibrary http;
  SetAgentVersion(ReadFileVersion(context.ExecutablePath));
  // The DPI awareness is the manifest's; GDI+ outlives every picture.
  TGdiplusSession gdiplus;
  auto window = std::make_unique<TfmUpdaterMain>(
      TUpdateRunSetup{commandLine, context.ProgramFolder, context.WorkingFolder});
  // A run that has already ended (its window closed) shows nothing.
  if (window->Handle() && !window->Terminated()) {
    ShowWindow(window->Handle(), SW_SHOW);
    UpdateWindow(window->Handle());
    RunMessageLoop();
  }
  window.reset();
}

}  // namespace

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
    RunLaunchMode(TCommandLine(std::move(params)), context,
                  [&](const TCommandLine& commandLine) { RunUpdate(commandLine, context); });
  } catch (...) {
  }
  return 0;
}
