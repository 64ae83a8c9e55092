// One request and its response over WinInet, on the worker's thread.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "http/HTTPMailbox.h"
#include "http/HTTPText.h"
#include "http/HTTPTransfer.h"
#include "http/MultipartBody.h"
#include "http/TransferTargets.h"
#include "platform/Text.h"
#include "platform/win32/WinApi.h"
// After windows.h, which it needs.
#include <wininet.h>

namespace {

// The description reads 8192 bytes a call. Under Wine every InternetReadFile
// costs about 0.2 ms whatever its size, which caps such reads near 40 MB/s:
// a 256 MiB body from a local server took 6.3 s (curl: 0.7 s), 64 KiB reads
// 1.3 s, 256 KiB 0.37 s. But a read returns only once its buffer is full (or
// the body ends), so on a slow link a large read would hold back progress
// and Stop for as long as filling it takes. So the size follows the link:
// it doubles while reads fill at once and halves when one takes long,
// between 8192 and 256 KiB (a second at 256 KB/s for a link that suddenly
// slows). The caller sees none of it: the body is still counted, reported
// and cut at MaxSize in pieces of kPieceSize, and progress is paced anyway.
constexpr DWORD kMinReadSize = 8192;
constexpr DWORD kMaxReadSize = 256 * 1024;
constexpr auto kQuickRead = std::chrono::milliseconds(10);
constexpr auto kSlowRead = std::chrono::milliseconds(50);
constexpr size_t kPieceSize = 8192;
constexpr DWORD kUploadChunk = 8192;

struct InternetCloser {
  void operator()(HINTERNET handle) const { ::InternetCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

// The request handle, closed once: by the transfer when it is done, or from
// the stopping thread, which is how a network call under way is cut short.
class TRequestHandle {
 public:
  explicit TRequestHandle(HINTERNET handle) : handle_(handle), open_(handle != nullptr) {}
  ~TRequestHandle() { Close(); }
  TRequestHandle(const TRequestHandle&) = delete;
  TRequestHandle& operator=(const TRequestHandle&) = delete;

  HINTERNET get() const { return handle_; }
  void Close() {
    std::lock_guard lock(mutex_);
    if (open_) ::InternetCloseHandle(handle_);
    open_ = false;
  }

 private:
  const HINTERNET handle_;
  std::mutex mutex_;
  bool open_;
};

// The mailbox's stop action for as long as the object lives.
class TStopAction {
 public:
  TStopAction(THTTPMailbox& mailbox, std::function<void()> action) : mailbox_(mailbox) {
    mailbox_.SetStopAction(std::move(action));
  }
  ~TStopAction() { mailbox_.SetStopAction({}); }
  TStopAction(const TStopAction&) = delete;
  TStopAction& operator=(const TStopAction&) = delete;

 private:
  THTTPMailbox& mailbox_;
};

// Hands progress figures that the pacing held back to the mailbox once their
// time has come, while the worker waits inside a network call.
class TProgressFlusher {
 public:
  explicit TProgressFlusher(THTTPMailbox& mailbox)
      : mailbox_(mailbox), thread_([this] { Run(); }) {}
  ~TProgressFlusher() {
    {
      std::lock_guard lock(mutex_);
      done_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    while (!wake_.wait_for(lock, THTTPMailbox::kProgressInterval, [this] { return done_; }))
      mailbox_.FlushProgress();
  }

  THTTPMailbox& mailbox_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool done_ = false;
  std::thread thread_;
};

std::string Narrow(const wchar_t* text, size_t length) {
  return platform::WideToUtf8(std::wstring_view(text, length));
}

void SetTimeOut(HINTERNET session, DWORD option, int32_t milliseconds) {
  DWORD value = static_cast<DWORD>(milliseconds);
  ::InternetSetOptionW(session, option, &value, sizeof value);
}

class TWinInetTransfer {
 public:
  TWinInetTransfer(const THTTPRequest& request, THTTPResponse& response, THTTPMailbox& mailbox)
      : request_(request), response_(response), mailbox_(mailbox) {}

  int32_t Run(const std::string& host, uint16_t port, const std::string& objectName);

 private:
  bool Send(HINTERNET request, const std::wstring& headers);
  bool SendMultipart(HINTERNET request, const std::wstring& headers);
  int32_t Receive(HINTERNET request);
  bool Stopped() const { return mailbox_.StopRequested(); }

  const THTTPRequest& request_;
  THTTPResponse& response_;
  THTTPMailbox& mailbox_;
};

int32_t TWinInetTransfer::Run(const std::string& host, uint16_t port,
                              const std::string& objectName) {
  const std::wstring agent = platform::Utf8ToWide(request_.Agent);
  InternetHandle session(::InternetOpenW(agent.empty() ? nullptr : agent.c_str(),
                                         INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session) return 0;
  SetTimeOut(session.get(), INTERNET_OPTION_CONNECT_TIMEOUT, request_.TimeOut);
  SetTimeOut(session.get(), INTERNET_OPTION_SEND_TIMEOUT, request_.TimeOut);
  SetTimeOut(session.get(), INTERNET_OPTION_RECEIVE_TIMEOUT, request_.TimeOut);

  int32_t result = 0;
  {
    InternetHandle connection(::InternetConnectW(session.get(), platform::Utf8ToWide(host).c_str(),
                                                 port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0,
                                                 0));
    if (connection) {
      // The package is run or unpacked over the installation: the server
      // must prove who it is, so no certificate error is ignored (neither
      // by these flags nor by the request's security flags).
      DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                    INTERNET_FLAG_KEEP_CONNECTION;
      if (response_.UseSSL) flags |= INTERNET_FLAG_SECURE | INTERNET_FLAG_PRAGMA_NOCACHE;
      const std::wstring verb = platform::Utf8ToWide(http_text::AsciiUpper(request_.Method));
      const std::wstring object = platform::Utf8ToWide(objectName);
      const wchar_t* accept[] = {L"*/*", nullptr};
      TRequestHandle request(::HttpOpenRequestW(connection.get(), verb.c_str(), object.c_str(),
                                                L"HTTP/1.0", nullptr, accept, flags, 0));
      if (request.get()) {
        const TStopAction stop(mailbox_, [&request] { request.Close(); });
        TProgressFlusher flusher(mailbox_);
        if (Send(request.get(), platform::Utf8ToWide(request_.HeaderText)))
          result = Receive(request.get());
      }
    }
  }
  ::InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
  return result;
}

bool TWinInetTransfer::Send(HINTERNET request, const std::wstring& headers) {
  if (Stopped()) return false;
  if (request_.MultiPartMode) return SendMultipart(request, headers);
  const auto length = static_cast<DWORD>(headers.size());
  if (http_text::AsciiUpper(request_.Method) != "POST")
    return ::HttpSendRequestW(request, headers.c_str(), length, nullptr, 0);
  std::string body = platform::Utf8ToSystemCodePage(
      request_.PostData.empty() ? request_.ParamList : request_.PostData);
  return ::HttpSendRequestW(request, headers.c_str(), length, body.data(),
                            static_cast<DWORD>(body.size()));
}

bool TWinInetTransfer::SendMultipart(HINTERNET request, const std::wstring& headers) {
  if (request_.StreamSize < 0) return false;
  INTERNET_BUFFERSW description{};
  description.dwStructSize = sizeof description;
  description.lpcszHeader = headers.c_str();
  description.dwHeadersLength = description.dwHeadersTotal = static_cast<DWORD>(headers.size());
  description.dwBufferTotal = static_cast<DWORD>(request_.StreamSize);
  if (!::HttpSendRequestExW(request, &description, nullptr, 0, 0)) return false;

  TMultipartBody body(request_,
                      [this](int32_t sent, int32_t total) { mailbox_.PostProgress(sent, total); });
  std::vector<char> chunk(kUploadChunk);
  for (;;) {
    if (Stopped()) return false;
    size_t size = 0;
    if (!body.Read(chunk.data(), chunk.size(), &size)) return false;
    if (size == 0) break;
    DWORD written = 0;
    if (!::InternetWriteFile(request, chunk.data(), static_cast<DWORD>(size), &written) ||
        written != size)
      return false;
  }
  // The announced length was sent in full, and the response's head read.
  return body.Complete() && ::HttpEndRequestW(request, nullptr, 0, 0);
}

int32_t TWinInetTransfer::Receive(HINTERNET request) {
  wchar_t status[32];
  DWORD size = sizeof status;
  if (::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE, status, &size, nullptr)) {
    response_.StatusCode = Narrow(status, std::min<size_t>(3, size / sizeof(wchar_t)));
    if (response_.StatusCode != "200") return 0;
  }

  size = 0;
  ::HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
  if (size > 0) {
    std::string raw(size, '\0');
    if (::HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, raw.data(), &size, nullptr) &&
        size > 0)
      response_.ReturnHeader = raw.substr(0, size);
  }

  // Without a Content-Length nothing is expected, and no progress is shown.
  int32_t expected = 0;
  wchar_t length[64];
  size = sizeof length;
  if (::HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, length, &size, nullptr)) {
    expected = http_text::ContentLengthOf(Narrow(length, size / sizeof(wchar_t)));
    // Refused (RFC 9112 §6.3): reading such a body to the close could take a
    // cut connection for a whole package.
    if (expected < 0) return 0;
  }

  std::unique_ptr<TTransferTarget> target;
  TBufferStream* buffer = nullptr;
  if (request_.DownFileMode) {
    target = CreateFileTarget(request_.DownFileName);
    if (!target) return -2;
  } else {
    auto memory = std::make_unique<TBufferStream>();
    buffer = memory.get();
    target = std::move(memory);
  }

  std::vector<char> chunk(kMaxReadSize);
  DWORD readSize = kMinReadSize;
  uint32_t received = 0;
  for (;;) {
    if (Stopped()) return 0;
    DWORD got = 0;
    const auto began = std::chrono::steady_clock::now();
    if (!::InternetReadFile(request, chunk.data(), readSize, &got) || Stopped()) return 0;
    const auto took = std::chrono::steady_clock::now() - began;
    if (got == readSize && took < kQuickRead)
      readSize = std::min(readSize * 2, kMaxReadSize);
    else if (took > kSlowRead)
      readSize = std::max(readSize / 2, kMinReadSize);
    if (got == 0) {
      // A body cut short of its Content-Length is not the package.
      if (expected > 0 && received < static_cast<uint32_t>(expected)) return 0;
      break;
    }
    size_t taken = 0;
    bool full = false;
    while (!full && taken < got) {
      const size_t n = std::min<size_t>(kPieceSize, got - taken);
      taken += n;
      received += static_cast<uint32_t>(n);
      if (!request_.MultiPartMode && expected > 0)
        mailbox_.PostProgress(static_cast<int32_t>(received), expected);
      full = request_.MaxSize > 0 && static_cast<int32_t>(received) >= request_.MaxSize;
    }
    if (!target->Write(chunk.data(), taken)) return 0;
    if (full) break;
  }
  if (buffer) response_.ReturnStr = buffer->DataString();
  return 1;
}

}  // namespace

int32_t RunTransfer(const THTTPRequest& request, THTTPResponse& response, THTTPMailbox& mailbox,
                    const std::string& host, uint16_t port, std::string objectName) {
  TWinInetTransfer transfer(request, response, mailbox);
  return transfer.Run(host, port, objectName);
}
