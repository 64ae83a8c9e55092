#include "http/UrlParts.h"

#include <algorithm>

#include "platform/Text.h"
#include "platform/win32/WinApi.h"
// After windows.h, which it needs.
#include <wininet.h>

namespace {

std::string Part(const wchar_t* text, DWORD length) {
  return text ? platform::WideToUtf8(std::wstring_view(text, length)) : std::string();
}

// The port as the URL writes it: InternetCrackUrlW fills in the scheme's
// default when there is none, but a URL without a port takes the transfer's
// own default, which depends on more than the scheme.
std::string PortText(const std::string& url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos) return {};
  const size_t begin = scheme + 3;
  const size_t end = std::min(url.find_first_of("/?#", begin), url.size());
  std::string authority = url.substr(begin, end - begin);
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);
  const size_t bracket = authority.rfind(']');
  const size_t colon = authority.rfind(':');
  if (colon == std::string::npos || (bracket != std::string::npos && colon < bracket)) return {};
  return authority.substr(colon + 1);
}

}  // namespace

TUrlParts SplitUrl(const std::string& url) {
  std::string slashed = url;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  const std::wstring wide = platform::Utf8ToWide(slashed);
  URL_COMPONENTSW parts{};
  parts.dwStructSize = sizeof parts;
  // Non-zero lengths ask for pointers into `wide` itself.
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUserNameLength = 1;
  parts.dwPasswordLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (wide.empty() ||
      !::InternetCrackUrlW(wide.c_str(), static_cast<DWORD>(wide.size()), 0, &parts) ||
      parts.dwSchemeLength == 0 || parts.dwHostNameLength == 0)
    throw std::invalid_argument("not a URL");

  TUrlParts result;
  result.Protocol = Part(parts.lpszScheme, parts.dwSchemeLength);
  for (char& c : result.Protocol)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  result.Host = Part(parts.lpszHostName, parts.dwHostNameLength);
  if (result.Host.size() >= 2 && result.Host.front() == '[' && result.Host.back() == ']')
    result.Host = result.Host.substr(1, result.Host.size() - 2);
  result.Port = PortText(slashed);
  std::string path = Part(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (path.empty() || path[0] != '/') path = "/" + path;
  const size_t lastSlash = path.rfind('/');
  result.Path = path.substr(0, lastSlash + 1);
  result.Document = path.substr(lastSlash + 1);
  std::string extra = Part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  extra = extra.substr(0, extra.find('#'));
  if (!extra.empty() && extra[0] == '?') result.Query = extra.substr(1);
  return result;
}
