#include "http/UrlParts.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

namespace {

struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::string PartOf(CURLU* url, CURLUPart part) {
  char* text = nullptr;
  if (curl_url_get(url, part, &text, 0) != CURLUE_OK || !text) return {};
  std::string value = text;
  curl_free(text);
  return value;
}

}  // namespace

TUrlParts SplitUrl(const std::string& url) {
  std::string slashed = url;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  std::unique_ptr<CURLU, UrlDeleter> parsed(curl_url());
  if (!parsed) throw std::invalid_argument("out of memory");
  const CURLUcode code =
      curl_url_set(parsed.get(), CURLUPART_URL, slashed.c_str(),
                   CURLU_NON_SUPPORT_SCHEME | CURLU_ALLOW_SPACE | CURLU_PATH_AS_IS);
  if (code != CURLUE_OK) throw std::invalid_argument(curl_url_strerror(code));

  TUrlParts parts;
  parts.Protocol = PartOf(parsed.get(), CURLUPART_SCHEME);
  parts.Host = PartOf(parsed.get(), CURLUPART_HOST);
  if (parts.Host.size() >= 2 && parts.Host.front() == '[' && parts.Host.back() == ']')
    parts.Host = parts.Host.substr(1, parts.Host.size() - 2);
  parts.Port = PartOf(parsed.get(), CURLUPART_PORT);
  std::string path = PartOf(parsed.get(), CURLUPART_PATH);
  if (path.empty() || path[0] != '/') path = "/" + path;
  const size_t lastSlash = path.rfind('/');
  parts.Path = path.substr(0, lastSlash + 1);
  parts.Document = path.substr(lastSlash + 1);
  parts.Query = PartOf(parsed.get(), CURLUPART_QUERY);
  return parts;
}
