#pragma once

#include <cstdint>
#include <memory>

#include "http/HTTPTransfer.h"

class THTTPMailbox;

// Runs one transfer on a thread of its own and posts its start and end. It
// works on its own copy of the request and never touches the component; the
// thread frees itself when the transfer is over.
class TQVHTTPThread : public std::enable_shared_from_this<TQVHTTPThread> {
 public:
  // The worker, already running.
  static std::shared_ptr<TQVHTTPThread> Create(THTTPRequest request,
                                               std::shared_ptr<THTTPMailbox> mailbox);

  // Asks the transfer to give up (it does within about a second, whatever it
  // is waiting for) and detaches it: nothing of it is posted afterwards.
  void Stop();

  // The whole exchange: 1 success, 0 failure, -2 an unexpected error once the
  // URL was split. Throws std::invalid_argument when the URL cannot be split.
  static int32_t GetWebData(const THTTPRequest& request, THTTPResponse& response,
                            THTTPMailbox& mailbox);

  // The results as they stand before a transfer changes them.
  static THTTPResponse ResponseBefore(const THTTPRequest& request);

 private:
  TQVHTTPThread(THTTPRequest request, std::shared_ptr<THTTPMailbox> mailbox);
  void Execute();

  const THTTPRequest FRequest;
  const std::shared_ptr<THTTPMailbox> FMailbox;
  int32_t FResultCode = 0;
};
