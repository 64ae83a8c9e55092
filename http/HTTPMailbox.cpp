#include "http/HTTPMailbox.h"

void THTTPMailbox::Post(uint32_t message, intptr_t wParam, intptr_t lParam,
                        std::optional<THTTPResponse> response) {
  std::lock_guard lock(mutex_);
  // Posting under the lock keeps the receiver alive: Detach waits for us.
  if (!receiver_) return;
  // Figures not yet on their way go first: the last progress arrives before
  // the end, whatever the pacing.
  if (progressUntaken_ && !progressQueued_) QueueProgress(std::chrono::steady_clock::now());
  if (response) response_ = std::move(response);
  Queue(message, wParam, lParam);
}

void THTTPMailbox::PostProgress(int32_t done, int32_t total) {
  std::lock_guard lock(mutex_);
  if (!receiver_) return;
  progressDone_ = done;
  progressTotal_ = total;
  progressUntaken_ = true;
  QueueProgressIfDue();
}

bool THTTPMailbox::FlushProgress() {
  std::lock_guard lock(mutex_);
  if (!receiver_) return false;
  QueueProgressIfDue();
  return progressUntaken_ && !progressQueued_;
}

void THTTPMailbox::QueueProgressIfDue() {
  // A message already queued takes the latest figures when it is handled.
  if (!progressUntaken_ || progressQueued_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - progressQueuedAt_ >= kProgressInterval) QueueProgress(now);
}

void THTTPMailbox::QueueProgress(std::chrono::steady_clock::time_point now) {
  progressQueued_ = true;
  progressQueuedAt_ = now;
  Queue(WM_HTTP_PROGRESS, progressDone_, progressTotal_);
}

void THTTPMailbox::Queue(uint32_t message, intptr_t wParam, intptr_t lParam) {
  receiver_->Deliver(message, wParam, lParam, shared_from_this());
}

std::pair<int32_t, int32_t> THTTPMailbox::TakeProgress() {
  std::lock_guard lock(mutex_);
  progressQueued_ = false;
  progressUntaken_ = false;
  return {progressDone_, progressTotal_};
}

std::optional<THTTPResponse> THTTPMailbox::TakeResponse() {
  std::lock_guard lock(mutex_);
  return std::exchange(response_, std::nullopt);
}

void THTTPMailbox::Detach() {
  std::lock_guard lock(mutex_);
  receiver_ = nullptr;
}

void THTTPMailbox::RequestStop() {
  stop_.store(true);
  std::lock_guard lock(stopMutex_);
  if (stopAction_) stopAction_();
}

void THTTPMailbox::SetStopAction(std::function<void()> action) {
  std::lock_guard lock(stopMutex_);
  stopAction_ = std::move(action);
  if (stopAction_ && stop_.load()) stopAction_();
}
