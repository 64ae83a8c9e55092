#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "http/HTTPTransfer.h"

constexpr uint32_t WM_HTTP_START = 2247;
constexpr uint32_t WM_HTTP_END = 2248;
constexpr uint32_t WM_HTTP_PROGRESS = 2249;

class THTTPMailbox;

// Where a mailbox's messages go: the component's thread, by the platform's
// means (a queued event, a posted window message).
class THTTPReceiver {
 public:
  // Called with the mailbox locked; must not wait for the receiver's thread.
  virtual void Deliver(uint32_t message, intptr_t wParam, intptr_t lParam,
                       const std::shared_ptr<THTTPMailbox>& from) = 0;

 protected:
  ~THTTPReceiver() = default;
};

// The link between one transfer and the component it serves. The transfer
// posts through it; the component detaches it when it stops the transfer or
// goes away, after which nothing more is posted. Progress is coalesced: while
// one progress message waits to be delivered, later figures replace its own.
// It is also paced: a window cannot show more than about 60 figures a second,
// and every message beyond that only costs the receiver a wake-up. 50 leaves
// room for messages that arrive closer together than they were sent.
class THTTPMailbox : public std::enable_shared_from_this<THTTPMailbox> {
 public:
  explicit THTTPMailbox(THTTPReceiver* receiver) : receiver_(receiver) {}

  // `response`, with an end, is what the component takes when it handles it.
  void Post(uint32_t message, intptr_t wParam, intptr_t lParam,
            std::optional<THTTPResponse> response = {});
  void PostProgress(int32_t done, int32_t total);
  // Queues figures the pacing held back once their time has come; the
  // transfer calls it while it waits. Returns whether figures are still held.
  bool FlushProgress();

  static constexpr std::chrono::milliseconds kProgressInterval{20};

  // Called on the receiver's thread when it handles a progress message or
  // the end: the latest figures, and the results the end carried.
  std::pair<int32_t, int32_t> TakeProgress();
  std::optional<THTTPResponse> TakeResponse();

  void Detach();

  // Raises the stop flag and runs the transfer's stop action, if it has one.
  void RequestStop();
  bool StopRequested() const { return stop_.load(); }
  // How the transfer cuts a network call short from the stopping thread. It
  // runs at once when the stop came first; an empty action clears it, and
  // once that returns the old one is neither running nor run again.
  void SetStopAction(std::function<void()> action);

 private:
  void Queue(uint32_t message, intptr_t wParam, intptr_t lParam);
  void QueueProgressIfDue();
  void QueueProgress(std::chrono::steady_clock::time_point now);

  std::mutex mutex_;
  THTTPReceiver* receiver_;
  bool progressQueued_ = false;
  bool progressUntaken_ = false;  // figures the receiver has not taken yet
  std::chrono::steady_clock::time_point progressQueuedAt_{};
  int32_t progressDone_ = 0;
  int32_t progressTotal_ = 0;
  std::optional<THTTPResponse> response_;
  std::atomic<bool> stop_{false};
  std::mutex stopMutex_;
  std::function<void()> stopAction_;
};
