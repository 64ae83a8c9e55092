#pragma once

#include <QEvent>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "http/HTTPTransfer.h"

class QObject;

constexpr uint32_t WM_HTTP_START = 2247;
constexpr uint32_t WM_HTTP_END = 2248;
constexpr uint32_t WM_HTTP_PROGRESS = 2249;

class THTTPMailbox;

// One notification of a transfer, queued to the component's thread.
class THTTPMessage : public QEvent {
 public:
  static QEvent::Type EventType();

  THTTPMessage(uint32_t message, intptr_t wParam, intptr_t lParam,
               std::shared_ptr<THTTPMailbox> from, std::optional<THTTPResponse> response = {});

  const uint32_t Message;
  const intptr_t WParam;
  const intptr_t LParam;
  const std::shared_ptr<THTTPMailbox> From;
  std::optional<THTTPResponse> Response;  // with an end: the results to apply
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
  // Every message is published through `handOff` before it is queued; the
  // receiver reads it before touching a message. Qt's queue already orders
  // the two threads; this makes the order visible to race checkers too.
  using THandOff = std::atomic<uint32_t>;
  THTTPMailbox(QObject* receiver, std::shared_ptr<THandOff> handOff)
      : receiver_(receiver), handOff_(std::move(handOff)) {}

  void Post(uint32_t message, intptr_t wParam, intptr_t lParam,
            std::optional<THTTPResponse> response = {});
  void PostProgress(int32_t done, int32_t total);
  // Queues figures the pacing held back once their time has come; the
  // transfer calls it while it waits. Returns whether figures are still held.
  bool FlushProgress();

  static constexpr std::chrono::milliseconds kProgressInterval{20};

  // The latest progress figures; called on the receiver's thread when the
  // progress message is handled.
  std::pair<int32_t, int32_t> TakeProgress();

  void Detach();
  void RequestStop() { stop_.store(true); }
  bool StopRequested() const { return stop_.load(); }

 private:
  void Queue(THTTPMessage* message);
  void QueueProgressIfDue();
  void QueueProgress(std::chrono::steady_clock::time_point now);

  std::mutex mutex_;
  QObject* receiver_;
  const std::shared_ptr<THandOff> handOff_;
  bool progressQueued_ = false;
  bool progressUntaken_ = false;  // figures the receiver has not taken yet
  std::chrono::steady_clock::time_point progressQueuedAt_{};
  int32_t progressDone_ = 0;
  int32_t progressTotal_ = 0;
  std::atomic<bool> stop_{false};
};
