#pragma once

#include <cstdint>
#include <string>

#include "updater/RunRules.h"

// Stage shown in the update window.
enum TStatus { stInit, stDownload, stUnextract, stInstall, stError };

// What the update run needs of a window system, and what it has the window
// show. The update window is the host on each platform; tests drive the run
// with a host of their own, on a clock they move by hand.
class TUpdateRunHost {
 public:
  virtual ~TUpdateRunHost() = default;

  // What the window shows.
  // The stage with its texts; the resetting stages also empty the bar and
  // the percentage.
  virtual void SetStatus(TStatus status) = 0;
  virtual void ShowStatusLine(const std::string& text) = 0;
  // The bar at `percent` of its track and, when asked, the percentage label.
  virtual void ShowProgress(int percent, bool withPercentage) = 0;

  // The window system.
  // One timer: a single shot after `milliseconds`, replacing one that is set;
  // the host then calls TUpdateRun::TimerFired.
  virtual void StartTimer(uint32_t milliseconds) = 0;
  virtual void StopTimer() = 0;
  // Handles every message that is waiting, once.
  virtual void ProcessMessages() = 0;
  // Paints what changed, taking no user input meanwhile.
  virtual void Repaint() = 0;
  // A modal information box with a single OK button; UTF-8, "\r\n" breaks
  // the line.
  virtual void ShowMessage(const std::string& text) = 0;
  virtual void CloseWindow() = 0;
  virtual void Terminate() = 0;

  // The clock.
  virtual uint64_t TickCount() = 0;  // milliseconds, never going back
  virtual platform::LocalTime LocalTime() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};
