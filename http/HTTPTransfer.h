#pragma once

#include <cstdint>
#include <string>
#include <vector>

class THTTPMailbox;

// What a transfer needs of the component, copied on the component's thread so
// that the worker never touches the component itself.
struct THTTPRequest {
  std::string URL;
  int32_t TimeOut = 0;
  std::string Method;
  bool MultiPartMode = false;
  bool UseSSL = false;
  std::string ParamList;
  std::string Parameter2;
  std::string PostData;
  std::vector<std::string> Stream;  // data parts, then the closing boundary line
  int32_t StreamSize = 0;
  std::vector<std::string> FileList;
  std::vector<std::string> FileContentTypes;  // one per FileList entry
  std::string Boundary;
  bool DownFileMode = false;
  std::string DownFileName;
  int32_t MaxSize = 0;
  std::string HeaderText;  // from MakeHeader
  std::string Agent;       // the User-Agent value of the header text, if any
  std::string Host;        // the component's, kept when the URL cannot be split
  std::string CACertFile;  // empty: the system's trusted authorities
};

// What a transfer hands back to the component with its end.
struct THTTPResponse {
  std::string ReturnHeader;
  std::string StatusCode;
  std::string ReturnStr;
  std::string Host;
  bool UseSSL = false;
};

// The exchange over the platform's HTTP client, once the URL is split:
// 1 success, 0 failure, -2 when the target cannot be created.
int32_t RunTransfer(const THTTPRequest& request, THTTPResponse& response, THTTPMailbox& mailbox,
                    const std::string& host, uint16_t port, std::string objectName);
