#include <memory>

#include "platform/Files.h"
#include "ui/HighDpi.h"
#include "updater/LaunchModes.h"
#include "updater/UpdaterApplication.h"
#include "updater/untUpdaterMain.h"

namespace {

void RunUpdate(int argc, char** argv, const TCommandLine& commandLine) {
  UseDevicePixels();
  TUpdaterApplication app(argc, argv);
  auto window =
      std::make_unique<TfmUpdaterMain>(TUpdateRunSetup{commandLine, platform::ProgramFolder()});
  window->show();
  app.exec();
  window.reset();
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return RunLaunchMode(TCommandLine(argc, argv), [&](const TCommandLine& commandLine) {
      RunUpdate(argc, argv, commandLine);
    });
  } catch (...) {
    return 0;
  }
}
