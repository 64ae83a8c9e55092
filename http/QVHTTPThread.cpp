#include "http/QVHTTPThread.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "http/HTTPMailbox.h"
#include "http/HTTPText.h"
#include "http/TransferTargets.h"
#include "http/UrlParts.h"
#include "platform/ThreadName.h"

namespace {

void AppendQuery(std::string& objectName, const std::string& query) {
  if (query.empty()) return;
  objectName += objectName.find('?') == std::string::npos ? '?' : '&';
  objectName += query;
}

}  // namespace

TQVHTTPThread::TQVHTTPThread(THTTPRequest request, std::shared_ptr<THTTPMailbox> mailbox)
    : FRequest(std::move(request)), FMailbox(std::move(mailbox)) {}

std::shared_ptr<TQVHTTPThread> TQVHTTPThread::Create(THTTPRequest request,
                                                     std::shared_ptr<THTTPMailbox> mailbox) {
  std::shared_ptr<TQVHTTPThread> worker(new TQVHTTPThread(std::move(request), std::move(mailbox)));
  try {
    std::thread([worker] { worker->Execute(); }).detach();
  } catch (const std::system_error&) {
    worker->FMailbox->Post(WM_HTTP_START, 0, 0);
    worker->FMailbox->Post(WM_HTTP_END, 0, 0, ResponseBefore(worker->FRequest));
  }
  return worker;
}

void TQVHTTPThread::Stop() {
  FMailbox->RequestStop();
  FMailbox->Detach();
}

void TQVHTTPThread::Execute() {
  platform::NameThisThread("QVHTTPThread");
  FMailbox->Post(WM_HTTP_START, FResultCode, 0);
  THTTPResponse response = ResponseBefore(FRequest);
  FResultCode = 0;
  try {
    FResultCode = GetWebData(FRequest, response, *FMailbox);
  } catch (...) {
    // Reported as a failed transfer below.
  }
  FMailbox->Post(WM_HTTP_END, FResultCode, 0, std::move(response));
}

THTTPResponse TQVHTTPThread::ResponseBefore(const THTTPRequest& request) {
  THTTPResponse response;
  response.Host = request.Host;
  response.UseSSL = request.UseSSL;
  return response;
}

int32_t TQVHTTPThread::GetWebData(const THTTPRequest& request, THTTPResponse& response,
                                  THTTPMailbox& mailbox) {
  response.ReturnStr.clear();
  response.ReturnHeader.clear();
  response.StatusCode.clear();

  const TUrlParts url = SplitUrl(request.URL);
  std::string lowered = http_text::AsciiLower(request.URL);
  std::replace(lowered.begin(), lowered.end(), '\\', '/');
  if (lowered.rfind("https://", 0) == 0) response.UseSSL = true;

  const uint16_t port = http_text::PortOr(url.Port, response.UseSSL ? 443 : 80);

  response.Host = url.Host;
  std::string objectName = url.Path + url.Document;
  if (!url.Query.empty()) objectName += "?" + url.Query;

  try {
    const std::string verb = http_text::AsciiUpper(request.Method);
    if (!request.MultiPartMode && verb != "GET" && verb != "POST") {
      // Such a request is never sent; in file mode its target still appears.
      if (request.DownFileMode && !CreateFileTarget(request.DownFileName)) return -2;
      return 0;
    }
    if (verb == "GET" && !request.MultiPartMode) {
      AppendQuery(objectName, request.ParamList);
      AppendQuery(objectName, request.Parameter2);
    }
    return RunTransfer(request, response, mailbox, url.Host, port,
                       http_text::EscapeRequestTarget(objectName));
  } catch (...) {
    return -2;
  }
}
