// One request and its response over WinInet, on the worker's thread.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "http/HTTPMailbox.h"
#include "http/HTTPText.h"
#include "http/HTTPTransfer.h"
#include "http/MultipartBody.h"
#include "http/TransferTargets.h"
#include "http/UrlParts.h"
#include "platform/Text.h"
#include "platform/win32/WinApi.h"
// After windows.h, which it needs.
#include <wininet.h>

namespace {

// The description reads 8192 bytes a call, and such a read waits until it
// has all 8192 (or the body ends): through a pause of the server, bytes that
// have arrived stay unreported, and Stop waits for more. Reads here take what
// has arrived, as InternetQueryDataAvailable counts it, up to kReadSize, and
// only the wait for the next byte blocks. Measured under Wine 8, 256 MiB from
// a local server: curl 0.8-0.9 s; blocking reads of 8192 bytes 3.2-4.4 s, of
// 256 KiB 0.45 s (but they hold progress and Stop back on a slow link);
// these reads 3.9-4.0 s, as Wine counts at most its own 8 KiB buffer as
// arrived and costs about 0.2 ms a call whatever its size. The caller sees
// none of it: the body is counted, reported and cut at MaxSize in pieces of
// kPieceSize, and progress is paced anyway.
constexpr DWORD kReadSize = 256 * 1024;
constexpr size_t kPieceSize = 8192;
constexpr DWORD kUploadChunk = 8192;
constexpr int kMaxRedirects = 10;

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

void SetTimeOuts(HINTERNET handle, int32_t milliseconds) {
  SetTimeOut(handle, INTERNET_OPTION_CONNECT_TIMEOUT, milliseconds);
  SetTimeOut(handle, INTERNET_OPTION_SEND_TIMEOUT, milliseconds);
  SetTimeOut(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, milliseconds);
}

// A redirection's status: the next request goes where Location says.
bool IsRedirect(const std::string& status) {
  return status == "301" || status == "302" || status == "303" || status == "307" ||
         status == "308";
}

// Where one request of a transfer goes.
struct TTarget {
  std::string host;
  uint16_t port = 0;
  std::string object;  // path and query
  bool secure = false;
  std::string verb;
  bool bodiless = false;  // a redirection turned it into a plain GET
};

// The target a Location value names, seen from `from`; false when it is no
// http or https URL, or would take a TLS transfer into the clear: the
// server's proof of who it is would not cover what the plain request
// fetches (WinInet's own redirection refuses that too).
bool Follow(const TTarget& from, const std::string& location, TTarget* next) {
  *next = from;
  if (location.empty()) return false;
  if (location.find("://") != std::string::npos) {
    TUrlParts url;
    try {
      url = SplitUrl(location);
    } catch (const std::invalid_argument&) {
      return false;
    }
    if (url.Protocol != "http" && url.Protocol != "https") return false;
    if (from.secure && url.Protocol != "https") return false;
    next->secure = url.Protocol == "https";
    next->host = url.Host;
    next->port = http_text::PortOr(url.Port, next->secure ? 443 : 80);
    next->object = url.Path + url.Document + (url.Query.empty() ? "" : "?" + url.Query);
  } else if (location[0] == '/') {
    next->object = location;
  } else {
    const std::string path = from.object.substr(0, from.object.find('?'));
    next->object = path.substr(0, path.rfind('/') + 1) + location;
  }
  next->object = http_text::EscapeRequestTarget(next->object);
  return true;
}

class TWinInetTransfer {
 public:
  TWinInetTransfer(const THTTPRequest& request, THTTPResponse& response, THTTPMailbox& mailbox)
      : request_(request), response_(response), mailbox_(mailbox) {}

  int32_t Run(const std::string& host, uint16_t port, const std::string& objectName);

 private:
  // One request: 1 when the body was taken, 0 failure, -2 no target, and
  // `*next` set with 2 when the response sends the transfer elsewhere.
  int32_t Exchange(HINTERNET session, const TTarget& target, bool last, TTarget* next);
  bool Send(HINTERNET request, const std::wstring& headers, const TTarget& target);
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
  SetTimeOuts(session.get(), request_.TimeOut);

  TTarget target{host, port, objectName, response_.UseSSL, http_text::AsciiUpper(request_.Method)};
  int32_t result = 0;
  {
    TProgressFlusher flusher(mailbox_);
    for (int hop = 0; hop <= kMaxRedirects; ++hop) {
      TTarget next;
      result = Exchange(session.get(), target, hop == kMaxRedirects, &next);
      if (result != 2) break;
      target = next;
    }
  }
  if (result == 2) result = 0;
  ::InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
  return result;
}

int32_t TWinInetTransfer::Exchange(HINTERNET session, const TTarget& target, bool last,
                                   TTarget* next) {
  InternetHandle connection(::InternetConnectW(session, platform::Utf8ToWide(target.host).c_str(),
                                               target.port, nullptr, nullptr, INTERNET_SERVICE_HTTP,
                                               0, 0));
  if (!connection) return 0;
  // The package is run or unpacked over the installation: the server must
  // prove who it is, so no certificate error is ignored (neither by these
  // flags nor by the request's security flags). Redirections are followed
  // here, not by WinInet: Wine's follows a loop for ever.
  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_AUTO_REDIRECT;
  if (target.secure) flags |= INTERNET_FLAG_SECURE | INTERNET_FLAG_PRAGMA_NOCACHE;
  const std::wstring verb = platform::Utf8ToWide(target.verb);
  const std::wstring object = platform::Utf8ToWide(target.object);
  const wchar_t* accept[] = {L"*/*", nullptr};
  TRequestHandle request(::HttpOpenRequestW(connection.get(), verb.c_str(), object.c_str(),
                                            L"HTTP/1.0", nullptr, accept, flags, 0));
  if (!request.get()) return 0;
  // Windows hands the session's time-outs down to its requests; Wine 8 does
  // not, and without them a body that stalls is waited for without end.
  SetTimeOuts(request.get(), request_.TimeOut);
  const TStopAction stop(mailbox_, [&request] { request.Close(); });
  if (!Send(request.get(), platform::Utf8ToWide(request_.HeaderText), target)) return 0;

  wchar_t status[32];
  DWORD size = sizeof status;
  if (::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE, status, &size, nullptr)) {
    response_.StatusCode = Narrow(status, std::min<size_t>(3, size / sizeof(wchar_t)));
    if (!last && IsRedirect(response_.StatusCode)) {
      std::wstring location(2048, L'\0');
      size = static_cast<DWORD>(location.size() * sizeof(wchar_t));
      if (::HttpQueryInfoW(request.get(), HTTP_QUERY_LOCATION, location.data(), &size, nullptr) &&
          Follow(target, Narrow(location.data(), size / sizeof(wchar_t)), next)) {
        // As browsers and libcurl do: what follows a 301, 302 or 303 of a
        // POST is a GET without the body.
        if (response_.StatusCode != "307" && response_.StatusCode != "308") {
          next->verb = "GET";
          next->bodiless = true;
        }
        return 2;
      }
    }
    if (response_.StatusCode != "200") return 0;
  }
  return Receive(request.get());
}

bool TWinInetTransfer::Send(HINTERNET request, const std::wstring& headers, const TTarget& target) {
  if (Stopped()) return false;
  const auto length = static_cast<DWORD>(headers.size());
  if (target.bodiless || (!request_.MultiPartMode && target.verb == "GET"))
    return ::HttpSendRequestW(request, headers.c_str(), length, nullptr, 0);
  if (request_.MultiPartMode) return SendMultipart(request, headers);
  std::string body = platform::Utf8ToSystemCodePage(request_.PostData.empty() ? request_.ParamList
                                                                              : request_.PostData);
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
  DWORD size = 0;
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

  std::vector<char> chunk(kReadSize);
  uint32_t received = 0;
  for (;;) {
    if (Stopped()) return 0;
    // What has arrived, or at the end 0; waits only while nothing has.
    DWORD available = 0;
    if (!::InternetQueryDataAvailable(request, &available, 0, 0) || Stopped()) return 0;
    DWORD got = 0;
    if (available > 0 &&
        (!::InternetReadFile(request, chunk.data(), std::min(available, kReadSize), &got) ||
         Stopped()))
      return 0;
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
