#include "http/HTTPMailbox.h"

#include <QCoreApplication>

QEvent::Type THTTPMessage::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

THTTPMessage::THTTPMessage(uint32_t message, intptr_t wParam, intptr_t lParam,
                           std::shared_ptr<THTTPMailbox> from,
                           std::optional<THTTPResponse> response)
    : QEvent(EventType()),
      Message(message),
      WParam(wParam),
      LParam(lParam),
      From(std::move(from)),
      Response(std::move(response)) {}

void THTTPMailbox::Post(uint32_t message, intptr_t wParam, intptr_t lParam,
                        std::optional<THTTPResponse> response) {
  std::lock_guard lock(mutex_);
  // Posting under the lock keeps the receiver alive: Detach waits for us.
  if (!receiver_) return;
  // Figures not yet on their way go first: the last progress arrives before
  // the end, whatever the pacing.
  if (progressUntaken_ && !progressQueued_) QueueProgress(std::chrono::steady_clock::now());
  Queue(new THTTPMessage(message, wParam, lParam, shared_from_this(), std::move(response)));
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
  Queue(new THTTPMessage(WM_HTTP_PROGRESS, 0, 0, shared_from_this()));
}

void THTTPMailbox::Queue(THTTPMessage* message) {
  handOff_->fetch_add(1, std::memory_order_release);
  QCoreApplication::postEvent(receiver_, message);
}

std::pair<int32_t, int32_t> THTTPMailbox::TakeProgress() {
  std::lock_guard lock(mutex_);
  progressQueued_ = false;
  progressUntaken_ = false;
  return {progressDone_, progressTotal_};
}

void THTTPMailbox::Detach() {
  std::lock_guard lock(mutex_);
  receiver_ = nullptr;
}
