#include "http/QVHTTP.h"

#include <chrono>
#include <cstdio>
#include <random>

#include "http/HTTPMailbox.h"
#include "http/HTTPText.h"
#include "http/HTTPTransfer.h"
#include "http/MultipartBody.h"
#include "http/QVHTTPThread.h"
#include "platform/Text.h"
#include "util/QVUtils.h"

namespace {

// The sizes are signed 32-bit and wrap as such; unsigned arithmetic keeps that
// from being undefined.
int32_t Grow(int32_t size, uint64_t by) {
  return static_cast<int32_t>(static_cast<uint32_t>(size) + static_cast<uint32_t>(by));
}

std::string MakeBoundary() {
  std::mt19937 random(
      static_cast<uint32_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<uint32_t> group(0, 0xFFFFFFF - 1);
  char digits[16];
  std::snprintf(digits, sizeof digits, "%07x%07x", group(random), group(random));
  return std::string(27, '-') + digits;
}

}  // namespace

namespace {

std::string& AgentVersionText() {
  static std::string text;
  return text;
}

}  // namespace

const std::string& AgentVersion() {
  return AgentVersionText();
}

void SetAgentVersion(const TFileVersion& v) {
  char text[80];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d (%d)", v.Major, v.Minor, v.Release, v.Build,
                v.Build);
  AgentVersionText() = text;
}

TQVHTTP::TQVHTTP(THTTPSender* AOwner) : THTTPComponentBase(AOwner), FBoundary(MakeBoundary()) {
  FHeader.Put("Accept-Language", "ko");
  FHeader.Put("User-Agent", "ORNEC HTTP CONTROL/" + AgentVersion());
}

TQVHTTP::~TQVHTTP() {
  // Nobody is left to hear about a running transfer: stop it and cut it off.
  if (FThread) FThread->Stop();
  DetachMailbox();
}

void TQVHTTP::HeaderClear() {
  FHeader.Clear();
}

void TQVHTTP::BufferClear() {
  FStream.clear();
  FStreamSize = 0;
  FParamList.Clear();
  FFileList.clear();
  FFileContentTypes.clear();
}

void TQVHTTP::AddData(const std::string& DataName, const std::string& DataStr,
                      const std::string& ContentType) {
  const std::string value = FAutoHTTPEncode ? http_text::UrlEncode(DataStr) : DataStr;
  if (!FMultiPartMode) {
    SetValues(DataName, value);
    return;
  }
  std::string part = "--" + FBoundary + "\r\n";
  part += "Content-Disposition: form-data; name=\"" + DataName + "\" \r\n";
  if (!ContentType.empty()) part += "Content-Type: " + ContentType + "\r\n";
  part += "\r\n" + value + "\r\n";
  // Sent as counted: in the system's 8-bit code page.
  part = platform::Utf8ToSystemCodePage(part);
  FStreamSize = Grow(FStreamSize, part.size());
  FStream.push_back(std::move(part));
}

void TQVHTTP::AddFile(const std::string& DataName, const std::string& FileName,
                      const std::string& ContentType) {
  if (!FMultiPartMode) return;
  // The part carries the caller's content type, and the size counted here is
  // that of the header actually sent.
  const std::string type = ContentType.empty() ? "application/octet-stream" : ContentType;
  const std::string header = FilePartHeader(FBoundary, FileName, type);
  const uint32_t contentSize = static_cast<uint32_t>(FileSizeOf(FileName));
  FStreamSize = Grow(FStreamSize, header.size() + contentSize + 2);
  FFileList.push_back(FileName);
  FFileContentTypes.push_back(type);
}

void TQVHTTP::SetMethod(const std::string& value) {
  FMethod = value;
  if (value == "GET") FMultiPartMode = false;
}

void TQVHTTP::SetMultiPartMode(bool value) {
  FMultiPartMode = value;
  if (value) FMethod = "POST";
}

void TQVHTTP::SetDownFileName(const std::string& value) {
  FDownFileName = value;
  FDownFileMode = true;
}

void TQVHTTP::SetHeader(const std::string& name, const std::string& value) {
  if (value.empty())
    FHeader.Remove(name);
  else
    FHeader.Put(name, value);
}

void TQVHTTP::DeleteHeader(const std::string& HeaderName) {
  FHeader.Remove(HeaderName);
}

bool TQVHTTP::KeepAlive() const {
  return http_text::Trim(Header("Connection")) == "Keep-Alive";
}

void TQVHTTP::SetKeepAlive(bool value) {
  if (value)
    SetHeader("Connection", "Keep-Alive");
  else
    DeleteHeader("Connection");
}

std::string TQVHTTP::ParamList() const {
  std::string joined;
  const auto& lines = FParamList.Lines();
  for (size_t i = 0; i < lines.size(); ++i) joined += (i ? "&" : "") + lines[i];
  return joined;
}

std::string TQVHTTP::MakeHeader() {
  if (FMultiPartMode) {
    SetHeader("Content-Type",
              "multipart/form-data; charset=" + FCharSet + "; boundary=" + FBoundary);
  } else if (Header("Content-Type").empty()) {
    SetHeader("Content-Type", FCharSet == "UTF-8"
                                  ? "application/x-www-form-urlencoded; charset=UTF-8"
                                  : "application/x-www-form-urlencoded");
  }
  if (!FAgent.empty()) SetHeader("User-Agent", FAgent + "/" + AgentVersion());

  std::string text;
  for (const std::string& line : FHeader.Lines()) {
    const size_t equals = line.find('=');
    text += equals == std::string::npos ? line
                                        : line.substr(0, equals) + ": " + line.substr(equals + 1);
    text += "\r\n";
  }
  return text;
}

std::string TQVHTTP::GetReturnCharSet() const {
  return http_text::CharSetOf(FReturnHeader);
}

void TQVHTTP::RequestHTTPData() {
  // One transfer at a time: a worker still attached would write into the
  // same target as the new one.
  Stop();
  const std::string closing = "--" + FBoundary + "--\r\n";
  FStream.push_back(closing);
  FStreamSize = Grow(FStreamSize, closing.size());
  FReturnStr.clear();
  FStatusCode.clear();
  FSuccess = false;

  const std::shared_ptr<THTTPMailbox> mailbox = NewMailbox();

  if (!FBlockMode) {
    FThread = TQVHTTPThread::Create(Snapshot(), mailbox);
    return;
  }
  mailbox->Post(WM_HTTP_START, 0, 0);
  int32_t result = 0;
  try {
    const THTTPRequest request = Snapshot();
    THTTPResponse response = TQVHTTPThread::ResponseBefore(request);
    result = TQVHTTPThread::GetWebData(request, response, *mailbox);
    Apply(response);
    FSuccess = result == 1;
  } catch (...) {
    mailbox->Post(WM_HTTP_END, 0, 0);
    throw;
  }
  mailbox->Post(WM_HTTP_END, result, 0);
}

void TQVHTTP::Stop() {
  try {
    if (FThread) FThread->Stop();
  } catch (...) {
  }
  FThread.reset();
}

THTTPRequest TQVHTTP::Snapshot() {
  THTTPRequest request;
  request.HeaderText = MakeHeader();
  request.Agent = Header("User-Agent");
  request.URL = FURL;
  request.TimeOut = FTimeOut;
  request.Method = FMethod;
  request.MultiPartMode = FMultiPartMode;
  request.UseSSL = FUseSSL;
  request.ParamList = ParamList();
  request.Parameter2 = FParameter2;
  request.PostData = FPostData;
  request.Stream = FStream;
  request.StreamSize = FStreamSize;
  request.FileList = FFileList;
  request.FileContentTypes = FFileContentTypes;
  request.Boundary = FBoundary;
  request.DownFileMode = FDownFileMode;
  request.DownFileName = FDownFileName;
  request.MaxSize = FMaxSize;
  request.Host = FHost;
  request.CACertFile = FCACertFile;
  return request;
}

void TQVHTTP::Apply(const THTTPResponse& response) {
  FReturnHeader = response.ReturnHeader;
  FStatusCode = response.StatusCode;
  FReturnStr = response.ReturnStr;
  FHost = response.Host;
  FUseSSL = response.UseSSL;
}

void TQVHTTP::HandleHTTPMessage(uint32_t message, intptr_t wParam, intptr_t lParam) {
  try {
    // A message that no transfer of ours posted carries its figures itself.
    const auto& mailbox = Mailbox();
    switch (message) {
      case WM_HTTP_START:
        if (OnStart) OnStart(this);
        break;
      case WM_HTTP_PROGRESS: {
        const auto [done, total] =
            mailbox ? mailbox->TakeProgress()
                    : std::pair{static_cast<int32_t>(wParam), static_cast<int32_t>(lParam)};
        if (OnProgress) OnProgress(this, done, total);
        break;
      }
      case WM_HTTP_END: {
        FThread.reset();
        if (auto response = mailbox ? mailbox->TakeResponse() : std::nullopt) Apply(*response);
        FSuccess = wParam == 1;
        if (OnEnd) OnEnd(this, wParam == 1);
        break;
      }
    }
  } catch (...) {
    // A handler's failure must not reach the event loop.
  }
}
