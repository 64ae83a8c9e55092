// Shows the update window without an update run, to look at it or to take a
// screenshot of it on a real display.
//
//   show_update_window [--stage init|download|unpack|install|error]
//                      [--percent N] [--status TEXT] [--screenshot FILE]
//
// --percent moves the bar and the percentage as a download would; with
// --screenshot the whole screen is saved once the window is up, and the tool
// ends (exit code 0 when the file was written).
#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <map>

#include "ui/HighDpi.h"
#include "updater/untUpdaterMain.h"

int main(int argc, char** argv) {
  UseDevicePixels();
  QApplication app(argc, argv);

  QCommandLineParser parser;
  parser.addHelpOption();
  const QCommandLineOption stageOption("stage", "Stage to show.", "stage", "download");
  const QCommandLineOption percentOption("percent", "Download progress, 0-100.", "N");
  const QCommandLineOption statusOption("status", "Status line text.", "text");
  const QCommandLineOption screenshotOption("screenshot", "Save the screen and quit.", "file");
  parser.addOptions({stageOption, percentOption, statusOption, screenshotOption});
  parser.process(app);

  const std::map<QString, TStatus> stages = {{"init", stInit},
                                             {"download", stDownload},
                                             {"unpack", stUnextract},
                                             {"install", stInstall},
                                             {"error", stError}};
  const auto stage = stages.find(parser.value(stageOption));
  if (stage == stages.end()) {
    std::fprintf(stderr, "unknown stage: %s\n", qPrintable(parser.value(stageOption)));
    return 2;
  }

  TfmUpdaterMain window;
  window.SetStatus(stage->second);
  if (parser.isSet(percentOption)) {
    bool ok = false;
    const int percent = parser.value(percentOption).toInt(&ok);
    if (!ok || percent < 0) {
      std::fprintf(stderr, "--percent wants a whole number from 0\n");
      return 2;
    }
    window.scProgressBar->resize(window.scProgressMain->width() * percent / 100,
                                 window.scProgressBar->height());
    window.lblPercent->setText(QString::number(percent) + "%");
  }
  if (parser.isSet(statusOption)) window.lblStatus->setText(parser.value(statusOption));
  window.show();

  if (!parser.isSet(screenshotOption)) return app.exec();

  // Give the display time to map and paint the window, then take the screen.
  int result = 1;
  QTimer::singleShot(1000, &app, [&] {
    const QPixmap screen = window.screen()->grabWindow(0);
    result = screen.save(parser.value(screenshotOption), "PNG") ? 0 : 1;
    if (result != 0)
      std::fprintf(stderr, "cannot write %s\n", qPrintable(parser.value(screenshotOption)));
    app.quit();
  });
  app.exec();
  return result;
}
