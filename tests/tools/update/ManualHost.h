#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "updater/UpdateRun.h"

namespace testing_tools {

// A host for the update run with a clock that moves only when the run sleeps
// or the test fires the timer, recording what the run has the window show.
// Events of the HTTP component are handled whenever the run asks for
// messages to be processed, and by WaitWhile.
class ManualHost : public TUpdateRunHost {
 public:
  ManualHost() = default;

  // The run on `params` with `programFolder` and `workingFolder`; started.
  TUpdateRun& Start(const std::vector<std::string>& params, const std::string& programFolder,
                    const std::string& workingFolder);
  TUpdateRun& run() { return *run_; }
  // Destroys the run, as closing the window does once it is gone.
  void DestroyRun() { run_.reset(); }

  // Handles events (real time) while the run is in `state`; false when it
  // still is after `timeoutMs`.
  bool WaitWhile(TRunState state, int timeoutMs = 20000);
  // The armed timer's interval; the test then fires it: the clock moves on
  // by that much.
  std::optional<uint32_t> timer() const { return timer_; }
  void FireTimer();

  // What the window was told, in order.
  std::vector<TStatus> statuses;
  std::vector<std::string> statusLines;
  std::vector<std::pair<int, bool>> progress;  // percent, with the percentage
  std::vector<std::string> messages;
  bool closed = false;
  bool terminated = false;
  uint64_t now = 1000;
  // Runs while a message box is up, before it is answered.
  std::function<void()> atMessage;

  void SetStatus(TStatus status) override;
  void ShowStatusLine(const std::string& text) override { statusLines.push_back(text); }
  void ShowProgress(int percent, bool withPercentage) override;
  void StartTimer(uint32_t milliseconds) override { timer_ = milliseconds; }
  void StopTimer() override { timer_.reset(); }
  void ProcessMessages() override;
  void Repaint() override {}
  void ShowMessage(const std::string& text) override;
  void CloseWindow() override;
  void Terminate() override { terminated = true; }
  uint64_t TickCount() override { return now; }
  platform::LocalTime LocalTime() override;
  void Sleep(uint32_t milliseconds) override { now += milliseconds; }

 private:
  std::optional<uint32_t> timer_;
  TStatus status_ = stInit;
  std::unique_ptr<TUpdateRun> run_;
};

}  // namespace testing_tools
