#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "http/HTTPTransfer.h"

class THTTPMailbox;
class TMultipartBody;
class TTransferTarget;
class TBufferStream;

// One request and its response over libcurl, from connecting to closing.
class TCurlTransfer {
 public:
  TCurlTransfer(const THTTPRequest& request, THTTPResponse& response, THTTPMailbox& mailbox);
  ~TCurlTransfer();
  TCurlTransfer(const TCurlTransfer&) = delete;
  TCurlTransfer& operator=(const TCurlTransfer&) = delete;

  // 1 success, 0 failure, -2 when the target cannot be created.
  int32_t Run(const std::string& host, uint16_t port, std::string objectName);

 private:
  static size_t OnHeader(char* data, size_t size, size_t count, void* self);
  static size_t OnBody(char* data, size_t size, size_t count, void* self);
  static size_t OnUpload(char* data, size_t size, size_t count, void* self);
  bool BeginBody();
  bool OpenTarget();
  void Touch() { lastActivity_ = std::chrono::steady_clock::now(); }

  const THTTPRequest& request_;
  THTTPResponse& response_;
  THTTPMailbox& mailbox_;
  void* easy_ = nullptr;
  std::string rawHeader_;
  std::unique_ptr<TMultipartBody> upload_;
  std::unique_ptr<TTransferTarget> target_;
  TBufferStream* buffer_ = nullptr;  // the target in memory mode
  int32_t expected_ = 0;
  uint32_t received_ = 0;
  bool bodyBegun_ = false;
  bool notOk_ = false;
  bool targetFailed_ = false;
  bool writeFailed_ = false;
  bool stopped_ = false;
  bool maxReached_ = false;
  bool uploadFailed_ = false;
  std::chrono::steady_clock::time_point lastActivity_;
};
