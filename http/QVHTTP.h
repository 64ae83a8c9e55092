#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The platform's side of the component (http/qt or http/win32): how the
// transfer's messages reach the thread that created it.
#include "HTTPComponentBase.h"
#include "http/NameValueList.h"
#include "util/QVUtils.h"

class TQVHTTPThread;
struct THTTPRequest;
struct THTTPResponse;

using TNotifyEvent = std::function<void(THTTPSender* Sender)>;
using THTTPProgress =
    std::function<void(THTTPSender* Sender, int32_t TransSize, int32_t TotalSize)>;
using THTTPEnd = std::function<void(THTTPSender* Sender, bool Success)>;

// "%d.%d.%d.%d (%d)" of the application's file version; empty until the
// application sets it, once, before any component exists.
const std::string& AgentVersion();
void SetAgentVersion(const TFileVersion& version);

// Performs one HTTP request at a time and reports its course through
// OnStart, OnProgress and OnEnd, always on the thread that created it.
class TQVHTTP : public THTTPComponentBase {
 public:
  explicit TQVHTTP(THTTPSender* AOwner = nullptr);
  ~TQVHTTP() override;
  TQVHTTP(const TQVHTTP&) = delete;
  TQVHTTP& operator=(const TQVHTTP&) = delete;

  void HeaderClear();
  void BufferClear();
  void AddData(const std::string& DataName, const std::string& DataStr,
               const std::string& ContentType);
  void AddFile(const std::string& DataName, const std::string& FileName,
               const std::string& ContentType);
  void RequestHTTPData();
  void Stop();
  std::string MakeHeader();
  void DeleteHeader(const std::string& HeaderName);
  std::string GetReturnCharSet() const;

  int32_t TimeOut() const { return FTimeOut; }
  void SetTimeOut(int32_t value) { FTimeOut = value; }
  const std::string& Agent() const { return FAgent; }
  void SetAgent(const std::string& value) { FAgent = value; }
  const std::string& URL() const { return FURL; }
  void SetURL(const std::string& value) { FURL = value; }
  const std::string& CharSet() const { return FCharSet; }
  void SetCharSet(const std::string& value) { FCharSet = value; }
  const std::string& Method() const { return FMethod; }
  void SetMethod(const std::string& value);
  bool MultiPartMode() const { return FMultiPartMode; }
  void SetMultiPartMode(bool value);
  bool AutoHTTPEncode() const { return FAutoHTTPEncode; }
  void SetAutoHTTPEncode(bool value) { FAutoHTTPEncode = value; }
  bool BlockMode() const { return FBlockMode; }
  void SetBlockMode(bool value) { FBlockMode = value; }
  bool KeepAlive() const;
  void SetKeepAlive(bool value);
  int32_t MaxSize() const { return FMaxSize; }
  void SetMaxSize(int32_t value) { FMaxSize = value; }

  const std::string& Boundary() const { return FBoundary; }
  const std::string& ReturnStr() const { return FReturnStr; }
  void SetReturnStr(const std::string& value) { FReturnStr = value; }
  const std::string& ReturnHeader() const { return FReturnHeader; }
  void SetReturnHeader(const std::string& value) { FReturnHeader = value; }
  bool Success() const { return FSuccess; }
  const std::string& StatusCode() const { return FStatusCode; }
  const std::vector<std::string>& Stream() const { return FStream; }
  int32_t StreamSize() const { return FStreamSize; }
  std::string ParamList() const;
  const std::string& Parameter2() const { return FParameter2; }
  void SetParameter2(const std::string& value) { FParameter2 = value; }
  const std::string& PostData() const { return FPostData; }
  void SetPostData(const std::string& value) { FPostData = value; }
  bool UseSSL() const { return FUseSSL; }
  void SetUseSSL(bool value) { FUseSSL = value; }
  const std::string& Host() const { return FHost; }
  bool DownFileMode() const { return FDownFileMode; }
  void SetDownFileMode(bool value) { FDownFileMode = value; }
  const std::string& DownFileName() const { return FDownFileName; }
  void SetDownFileName(const std::string& value);
  const std::string& TagStr() const { return FTagStr; }
  void SetTagStr(const std::string& value) { FTagStr = value; }
  const std::vector<std::string>& FileList() const { return FFileList; }

  std::string Header(const std::string& name) const { return FHeader.Value(name); }
  void SetHeader(const std::string& name, const std::string& value);
  std::string Values(const std::string& name) const { return FParamList.Value(name); }
  void SetValues(const std::string& name, const std::string& value) { FParamList.Put(name, value); }

  // A file of trusted certificate authorities (PEM) used in place of the
  // system's for TLS; empty means the system's.
  const std::string& CACertFile() const { return FCACertFile; }
  void SetCACertFile(const std::string& value) { FCACertFile = value; }

  TNotifyEvent OnStart;
  THTTPProgress OnProgress;
  THTTPEnd OnEnd;

 protected:
  void HandleHTTPMessage(uint32_t message, intptr_t wParam, intptr_t lParam) override;

 private:
  THTTPRequest Snapshot();
  void Apply(const THTTPResponse& response);

  TNameValueList FHeader;
  std::shared_ptr<TQVHTTPThread> FThread;
  bool FDownFileMode = false;
  std::string FDownFileName;
  std::vector<std::string> FStream;
  int32_t FStreamSize = 0;
  TNameValueList FParamList;
  std::vector<std::string> FFileList;
  std::vector<std::string> FFileContentTypes;
  int32_t FTimeOut = 10000;
  std::string FBoundary;
  std::string FCharSet = "UTF-8";
  std::string FAgent;
  std::string FURL;
  std::string FHost;
  bool FMultiPartMode = false;
  std::string FMethod = "POST";
  std::string FReturnStr;
  std::string FReturnHeader;
  bool FAutoHTTPEncode = false;
  bool FBlockMode = false;
  bool FSuccess = false;
  std::string FStatusCode;
  int32_t FMaxSize = 0;
  bool FUseSSL = false;
  std::string FParameter2;
  std::string FTagStr;
  std::string FPostData;
  std::string FCACertFile;
};
