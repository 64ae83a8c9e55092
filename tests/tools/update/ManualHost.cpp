#include "tests/tools/update/ManualHost.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <stdexcept>

namespace testing_tools {

TUpdateRun& ManualHost::Start(const std::vector<std::string>& params,
                              const std::string& programFolder, const std::string& workingFolder) {
  run_ = std::make_unique<TUpdateRun>(
      *this, TUpdateRunSetup{TCommandLine(params), programFolder, workingFolder});
  run_->Start();
  return *run_;
}

bool ManualHost::WaitWhile(TRunState state, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (run_->State() == state) {
    if (clock.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

void ManualHost::FireTimer() {
  if (!timer_) throw std::logic_error("no timer is armed");
  now += *timer_;
  timer_.reset();
  run_->TimerFired();
}

void ManualHost::SetStatus(TStatus status) {
  // As the window does: the current stage again changes nothing.
  if (status == status_) return;
  status_ = status;
  statuses.push_back(status);
}

void ManualHost::ShowProgress(int percent, bool withPercentage) {
  progress.emplace_back(percent, withPercentage);
}

void ManualHost::ProcessMessages() {
  QCoreApplication::processEvents();
}

void ManualHost::ShowMessage(const std::string& text) {
  messages.push_back(text);
  if (atMessage) atMessage();
}

void ManualHost::CloseWindow() {
  closed = true;
  if (run_) run_->WindowClosed();
}

platform::LocalTime ManualHost::LocalTime() {
  return {2024, 3, 5, 14, 7, static_cast<int>(now / 1000 % 60), static_cast<int>(now % 1000)};
}

}  // namespace testing_tools
