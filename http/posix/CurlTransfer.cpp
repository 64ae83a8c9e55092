#include "http/posix/CurlTransfer.h"

#include <curl/curl.h>

#include <algorithm>

#include "http/HTTPMailbox.h"
#include "http/HTTPText.h"
#include "http/MultipartBody.h"
#include "http/TransferTargets.h"

namespace {

constexpr size_t kReadSize = 8192;
constexpr long kReceiveSize = 128 * 1024;
constexpr long kMaxRedirects = 10;
constexpr int kPollMs = 100;  // how soon a stop or a stall is noticed

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

TCurlTransfer::TCurlTransfer(const THTTPRequest& request, THTTPResponse& response,
                             THTTPMailbox& mailbox)
    : request_(request), response_(response), mailbox_(mailbox) {}

TCurlTransfer::~TCurlTransfer() = default;

int32_t TCurlTransfer::Run(const std::string& host, uint16_t port, std::string objectName) {
  const std::string verb = http_text::AsciiUpper(request_.Method);
  std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
  std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
  if (!easy || !multi) return 0;
  easy_ = easy.get();

  const bool ipv6 = host.find(':') != std::string::npos;
  const std::string url = std::string(response_.UseSSL ? "https" : "http") + "://" +
                          (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port) +
                          objectName;

  curl_slist* headers = nullptr;
  size_t start = 0;
  const std::string& text = request_.HeaderText;
  while (start < text.size()) {
    size_t stop = text.find("\r\n", start);
    if (stop == std::string::npos) stop = text.size();
    if (stop > start)
      headers = curl_slist_append(headers, text.substr(start, stop - start).c_str());
    start = stop + 2;
  }
  headers = curl_slist_append(headers, "Expect:");
  std::unique_ptr<curl_slist, ListDeleter> headerList(headers);

  CURL* e = easy.get();
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  // A TLS transfer never goes on in the clear: the server's proof of who it
  // is would not cover what the plain request fetches.
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, response_.UseSSL ? "https" : "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, headerList.get());
  // The socket is read in large pieces, which saves system calls; OnBody
  // still counts the body kReadSize bytes at a time, each piece reported.
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kReceiveSize);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &TCurlTransfer::OnHeader);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &TCurlTransfer::OnBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
  // The package is run or unpacked over the installation: the server must
  // prove who it is, so certificate and host name are always checked.
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!request_.CACertFile.empty())
    curl_easy_setopt(e, CURLOPT_CAINFO, request_.CACertFile.c_str());
  if (request_.TimeOut > 0)
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request_.TimeOut));

  std::string postBody;
  if (request_.MultiPartMode) {
    if (request_.StreamSize < 0) return 0;
    upload_ = std::make_unique<TMultipartBody>(
        request_, [this](int32_t sent, int32_t total) { mailbox_.PostProgress(sent, total); });
    curl_easy_setopt(e, CURLOPT_POST, 1L);
    curl_easy_setopt(e, CURLOPT_READFUNCTION, &TCurlTransfer::OnUpload);
    curl_easy_setopt(e, CURLOPT_READDATA, this);
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request_.StreamSize));
    if (verb != "POST") curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb.c_str());
  } else if (verb == "POST") {
    postBody = request_.PostData.empty() ? request_.ParamList : request_.PostData;
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, postBody.c_str());
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(postBody.size()));
  } else {
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
  }

  curl_multi_add_handle(multi.get(), e);
  Touch();
  bool stalled = false;
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) break;
    if (!running) break;
    if (mailbox_.StopRequested()) {
      stopped_ = true;
      break;
    }
    if (request_.TimeOut > 0 && std::chrono::steady_clock::now() - lastActivity_ >
                                    std::chrono::milliseconds(request_.TimeOut)) {
      stalled = true;
      break;
    }
    // Figures held back by the progress pacing must not wait for more data.
    const bool progressHeld = mailbox_.FlushProgress();
    const auto waitMs = progressHeld ? THTTPMailbox::kProgressInterval.count() : kPollMs;
    curl_multi_poll(multi.get(), nullptr, 0, static_cast<int>(waitMs), nullptr);
  }
  CURLcode code = CURLE_ABORTED_BY_CALLBACK;
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued))
    if (message->msg == CURLMSG_DONE) code = message->data.result;
  curl_multi_remove_handle(multi.get(), e);

  long status = 0;
  curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &status);
  if (status > 0) response_.StatusCode = std::to_string(status).substr(0, 3);

  int32_t result = 0;
  if (stopped_ || stalled || notOk_ || writeFailed_ || uploadFailed_) {
    result = 0;
  } else if (targetFailed_) {
    result = -2;
  } else if (maxReached_ || (code == CURLE_OK && status == 200)) {
    if (upload_ && !upload_->Complete()) {
      result = 0;
    } else if (!bodyBegun_ && !BeginBody()) {
      result = targetFailed_ ? -2 : 0;
    } else {
      if (buffer_) response_.ReturnStr = buffer_->DataString();
      result = 1;
    }
  }
  // The file is closed before anything else is released.
  target_.reset();
  return result;
}

size_t TCurlTransfer::OnHeader(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<TCurlTransfer*>(self);
  const size_t length = size * count;
  // Only the last response's block counts (not those of redirects or 1xx).
  if (length >= 5 && std::equal(data, data + 5, "HTTP/")) transfer->rawHeader_.clear();
  transfer->rawHeader_.append(data, length);
  transfer->Touch();
  return length;
}

bool TCurlTransfer::BeginBody() {
  bodyBegun_ = true;
  long status = 0;
  curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
  if (status != 200) {
    notOk_ = true;
    return false;
  }
  response_.ReturnHeader = rawHeader_;
  // Without a Content-Length nothing is expected, and no progress is shown.
  // One that is not a number never gets here: libcurl refuses the response
  // (RFC 9112 §6.3), where reading the body to the close could take a cut
  // connection for a whole package.
  const TNameValueList lines = http_text::HeaderLines(rawHeader_);
  expected_ = lines.IndexOfName("Content-Length") < 0
                  ? 0
                  : http_text::ContentLengthOf(lines.Value("Content-Length"));
  return OpenTarget();
}

bool TCurlTransfer::OpenTarget() {
  if (request_.DownFileMode) {
    target_ = CreateFileTarget(request_.DownFileName);
  } else {
    auto buffer = std::make_unique<TBufferStream>();
    buffer_ = buffer.get();
    target_ = std::move(buffer);
  }
  targetFailed_ = !target_;
  return !targetFailed_;
}

size_t TCurlTransfer::OnBody(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<TCurlTransfer*>(self);
  const size_t length = size * count;
  if (!transfer->bodyBegun_ && !transfer->BeginBody()) return 0;
  transfer->Touch();
  // Taken kReadSize bytes at a time, each piece counted and reported, but
  // written in one call: a write per piece would double the system calls.
  size_t taken = 0;
  bool goOn = true;
  while (goOn && taken < length) {
    if (transfer->mailbox_.StopRequested()) {
      transfer->stopped_ = true;
      goOn = false;
      break;
    }
    const size_t n = std::min(kReadSize, length - taken);
    taken += n;
    transfer->received_ += static_cast<uint32_t>(n);
    const auto received = static_cast<int32_t>(transfer->received_);
    if (!transfer->request_.MultiPartMode && transfer->expected_ > 0)
      transfer->mailbox_.PostProgress(received, transfer->expected_);
    if (transfer->request_.MaxSize > 0 && received >= transfer->request_.MaxSize) {
      transfer->maxReached_ = true;
      goOn = false;
    }
  }
  if (taken > 0 && !transfer->target_->Write(data, taken)) {
    transfer->writeFailed_ = true;
    return 0;
  }
  return goOn ? length : 0;
}

size_t TCurlTransfer::OnUpload(char* data, size_t size, size_t count, void* self) {
  auto* transfer = static_cast<TCurlTransfer*>(self);
  if (transfer->mailbox_.StopRequested()) {
    transfer->stopped_ = true;
    return CURL_READFUNC_ABORT;
  }
  size_t copied = 0;
  // libcurl asks only while announced bytes are missing, so running out of
  // body here means the files changed since they were counted.
  if (!transfer->upload_->Read(data, size * count, &copied) || copied == 0) {
    transfer->uploadFailed_ = true;
    return CURL_READFUNC_ABORT;
  }
  transfer->Touch();
  return copied;
}

int32_t RunTransfer(const THTTPRequest& request, THTTPResponse& response, THTTPMailbox& mailbox,
                    const std::string& host, uint16_t port, std::string objectName) {
  TCurlTransfer transfer(request, response, mailbox);
  return transfer.Run(host, port, std::move(objectName));
}
