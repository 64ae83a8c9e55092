// Shows the update window without an update run, to look at it or to take a
// screenshot of it on a real display.
//
//   show_update_window [--stage init|download|unpack|install|error]
//                      [--percent N] [--status TEXT] [--screenshot FILE]
//
// --percent moves the bar and the percentage as a download would; with
// --screenshot the whole screen is saved once the window shows on it, and the
// tool ends (exit code 0 when a screenshot with the window was written).
#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <map>

#include "ui/qt/HighDpi.h"
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

  // Take the screen once the display shows the window painted: its caption
  // bar's colour at the window's place. A display that never does still gets
  // its screenshot saved, with a failing exit code.
  const QString file = parser.value(screenshotOption);
  int result = 1;
  int attempts = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &app, [&] {
    ++attempts;
    if (!window.windowHandle() || !window.windowHandle()->isExposed()) return;
    const QPixmap screen = window.screen()->grabWindow(0);
    const QPoint probe = window.geometry().topLeft() + QPoint(window.width() / 2, 2);
    const bool painted = screen.toImage().pixel(probe) == qRgb(241, 241, 241);
    if (!painted && attempts < 100) return;
    if (!screen.save(file, "PNG"))
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
    else
      result = painted ? 0 : 3;
    app.quit();
  });
  poll.start(100);
  app.exec();
  return result;
}
