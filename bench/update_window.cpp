// Shows the update window of a real update run while it downloads a large
// package at full speed, and measures how the window keeps up:
//   bench_update_window <url ending in .7z> <program folder>
// The window is the one Updater.exe shows, downloading through its own HTTP
// component into the given folder; only the end of the download is taken over
// (the run stops there instead of unpacking) and its progress handler is
// wrapped to count the figures delivered. Prints one JSON object:
//   progress_events, progress_peak_per_second (most figures in any one
//   second), progress_mean_per_second (from the first figure to the last),
//   repaints (update requests the window handled) with the same two rates,
//   paint_events (of the window and all its widgets), seconds, bytes,
//   longest_stall_ms, stall_at_s (when it happened, from the start), and what
//   the window's thread did in that gap: stall_cpu_ms (its CPU time),
//   stall_preempted and stall_waits (its involuntary and voluntary context
//   switches). A long gap with little CPU time and preemptions means the
//   thread was ready but not scheduled.
// Without QT_QPA_PLATFORM it runs on the offscreen platform.
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "http/HTTPLibrary.h"
#include "http/QVHTTP.h"
#include "ui/qt/HighDpi.h"
#include "updater/LaunchModes.h"
#include "updater/UpdaterApplication.h"
#include "updater/untUpdaterMain.h"

namespace {

// The stall probe: a 5 ms precise timer on the window's thread. A tick that
// comes late by more than its interval means the event loop was busy (or not
// scheduled) for that long; the largest lateness is the longest stall.
constexpr int kProbeMs = 5;

// The most timestamps (in ms, ascending) that fall within any one second.
int PeakPerSecond(const std::vector<qint64>& times) {
  int peak = 0;
  size_t first = 0;
  for (size_t last = 0; last < times.size(); ++last) {
    while (times[last] - times[first] >= 1000) ++first;
    peak = std::max(peak, static_cast<int>(last - first + 1));
  }
  return peak;
}

// The calling thread's CPU time and context switches so far.
struct TThreadUsage {
  double CpuMs = 0;
  long Preempted = 0;
  long Waits = 0;
};

TThreadUsage ThreadUsage() {
  rusage usage{};
  getrusage(RUSAGE_THREAD, &usage);
  auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return {ms(usage.ru_utime) + ms(usage.ru_stime), usage.ru_nivcsw, usage.ru_nvcsw};
}

// Intervals a second between the first and the last timestamp; 0 without two.
double MeanPerSecond(const std::vector<qint64>& times) {
  if (times.size() < 2 || times.back() == times.front()) return 0;
  return (times.size() - 1) * 1000.0 / static_cast<double>(times.back() - times.front());
}

// Counts the window's repaints: each update request the top-level window
// handles is one pass that paints the dirty widgets and flushes the result.
class TPaintCounter : public QObject {
 public:
  TPaintCounter(QWidget* window, const QElapsedTimer& clock) : window_(window), clock_(clock) {}

  std::vector<qint64> Repaints;
  long PaintEvents = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::UpdateRequest && watched == window_) {
      Repaints.push_back(clock_.elapsed());
    } else if (event->type() == QEvent::Paint && watched->isWidgetType()) {
      auto* widget = static_cast<QWidget*>(watched);
      if (widget == window_ || window_->isAncestorOf(widget)) ++PaintEvents;
    }
    return false;
  }

 private:
  QWidget* const window_;
  const QElapsedTimer& clock_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <url ending in .7z> <program folder>\n", argv[0]);
    return 2;
  }
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::string folder = argv[2];
  if (!folder.ends_with('/')) folder += '/';

  THTTPLibrary library;
  UseDevicePixels();
  TUpdaterApplication app(argc, argv);
  QElapsedTimer clock;
  clock.start();

  // The run starts its download as the window is made; its figures arrive
  // through the event loop, so the handlers below are in place before any.
  const TCommandLine commandLine({"MAIN_UP", "2.0.0", "Main.exe", "0", argv[1]});
  TfmUpdaterMain window(TUpdateRunSetup{commandLine, folder, folder});
  TQVHTTP* http = &window.Run()->HttpDownloader();

  std::vector<qint64> progress;
  const THTTPProgress showProgress = http->OnProgress;
  http->OnProgress = [&](QObject* sender, int32_t done, int32_t total) {
    progress.push_back(clock.elapsed());
    showProgress(sender, done, total);
  };

  qint64 lastTick = clock.nsecsElapsed();
  qint64 longestStall = 0;  // ns
  qint64 stallAt = 0;
  TThreadUsage lastUsage;
  TThreadUsage stallUsage;  // spent in the longest gap
  QTimer probe;
  probe.setTimerType(Qt::PreciseTimer);
  probe.setInterval(kProbeMs);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    const TThreadUsage usage = ThreadUsage();
    const qint64 stall = now - lastTick - kProbeMs * 1000000LL;
    if (stall > longestStall) {
      longestStall = stall;
      stallAt = now;
      stallUsage = {usage.CpuMs - lastUsage.CpuMs, usage.Preempted - lastUsage.Preempted,
                    usage.Waits - lastUsage.Waits};
    }
    lastTick = now;
    lastUsage = usage;
  });

  bool success = false;
  qint64 bytes = 0;
  qint64 endedAt = 0;
  http->OnEnd = [&](QObject*, bool ok) {
    endedAt = clock.elapsed();
    probe.stop();
    success = ok;
    std::error_code ec;
    bytes = static_cast<qint64>(std::filesystem::file_size(window.Run()->PatchFile(), ec));
    QCoreApplication::quit();
  };

  TPaintCounter counter(&window, clock);
  app.installEventFilter(&counter);
  window.show();
  lastTick = clock.nsecsElapsed();
  lastUsage = ThreadUsage();
  probe.start();
  app.exec();
  app.removeEventFilter(&counter);

  if (!success) {
    std::fprintf(stderr, "the download failed: status %s\n", http->StatusCode().c_str());
    return 1;
  }
  std::printf(
      "{\"progress_events\": %zu, \"progress_peak_per_second\": %d, "
      "\"progress_mean_per_second\": %.1f, \"repaints\": %zu, \"repaints_peak_per_second\": %d, "
      "\"repaints_mean_per_second\": %.1f, \"paint_events\": %ld, \"seconds\": %.3f, "
      "\"bytes\": %lld, \"longest_stall_ms\": %.1f, \"stall_at_s\": %.3f, \"stall_cpu_ms\": %.1f, "
      "\"stall_preempted\": %ld, \"stall_waits\": %ld}\n",
      progress.size(), PeakPerSecond(progress), MeanPerSecond(progress), counter.Repaints.size(),
      PeakPerSecond(counter.Repaints), MeanPerSecond(counter.Repaints), counter.PaintEvents,
      endedAt / 1000.0, static_cast<long long>(bytes), longestStall / 1e6, stallAt / 1e9,
      stallUsage.CpuMs, stallUsage.Preempted, stallUsage.Waits);
  return 0;
}
