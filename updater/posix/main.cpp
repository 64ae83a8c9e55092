#include <memory>

#include "http/HTTPLibrary.h"
#include "http/QVHTTP.h"
#include "platform/Files.h"
#include "ui/qt/HighDpi.h"
#include "updater/LaunchModes.h"
#include "updater/UpdaterApplication.h"
#include "updater/untUpdaterMain.h"
#include "util/QVUtils.h"

namespace {

void RunUpdate(int argc, char** argv, const TCommandLine& commandLine,
               const TProgramContext& context) {
  THTTPLibrary http;
  SetAgentVersion(ReadFileVersion(context.ExecutablePath));
  UseDevicePixels();
  TUpdaterApplication app(argc, argv);
  auto window = std::make_unique<TfmUpdaterMain>(
      TUpdateRunSetup{commandLine, context.ProgramFolder, context.WorkingFolder});
  window->show();
  app.exec();
  window.reset();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string executable = platform::ExecutablePath();
    const TProgramContext context{executable, platform::FolderOf(executable),
                                  platform::CurrentDirectory()};
    return RunLaunchMode(TCommandLine(argc, argv), context, [&](const TCommandLine& commandLine) {
      RunUpdate(argc, argv, commandLine, context);
    });
  } catch (...) {
    return 0;
  }
}
