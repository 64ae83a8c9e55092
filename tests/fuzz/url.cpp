// The HTTP component's text parsing: the input as a URL to split and as a
// raw response header block to read the charset and lengths from.
#include <stdexcept>
#include <string>

#include "http/HTTPText.h"
#include "http/UrlParts.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTarget.h"

namespace {

void CheckUrl(const std::string& url) {
  TUrlParts parts;
  try {
    parts = SplitUrl(url);
  } catch (const std::invalid_argument&) {
    return;
  }
  if (parts.Path.empty() || parts.Path.front() != '/' || parts.Path.back() != '/')
    fuzzing::Fail("path without its slashes: \"" + parts.Path + "\"");
  if (parts.Document.find('/') != std::string::npos)
    fuzzing::Fail("document with a slash: \"" + parts.Document + "\"");
}

void CheckHeader(const std::string& header) {
  const std::string charset = http_text::CharSetOf(header);
  if (charset.find_first_of(";\r\n") != std::string::npos)
    fuzzing::Fail("charset beyond its parameter: \"" + charset + "\"");
  if (!charset.empty() && (static_cast<unsigned char>(charset.front()) <= ' ' ||
                           static_cast<unsigned char>(charset.back()) <= ' '))
    fuzzing::Fail("charset not trimmed: \"" + charset + "\"");
  const TNameValueList lines = http_text::HeaderLines(header);
  for (const std::string& line : lines.Lines())
    if (line.find_first_of("\r\n") != std::string::npos)
      fuzzing::Fail("header line with a line break: \"" + line + "\"");
  (void)http_text::ContentLengthOf(header);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckUrl(text);
  CheckHeader(text);
  return 0;
}
