#include "http/HTTPText.h"

#include <charconv>
#include <cstdint>

#include "http/NameValueList.h"
#include "util/QVUtils.h"

namespace http_text {

namespace {

bool KeptAsIs(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case '!':
    case '$':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '-':
    case '.':
    case '@':
    case '_':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string UrlEncode(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (const unsigned char c : text) {
    if (KeptAsIs(c)) {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  return out;
}

std::string Trim(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ') ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ') --end;
  return text.substr(begin, end - begin);
}

std::string EscapeRequestTarget(const std::string& target) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : target) {
    if (c <= ' ' || c >= 0x7F || c == '#') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string AsciiUpper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

int32_t ContentLengthOf(const std::string& value) {
  std::string number = Trim(value);
  if (!number.empty() && number[0] == '+') number.erase(0, 1);
  int64_t parsed = 0;
  const char* end = number.data() + number.size();
  const auto [stop, error] = std::from_chars(number.data(), end, parsed);
  if (number.empty() || error != std::errc() || stop != end) return -1;
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(parsed)));
}

uint16_t PortOr(const std::string& text, uint16_t fallback) {
  uint32_t given = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, given);
  if (text.empty() || error != std::errc() || stop != end) return fallback;
  return static_cast<uint16_t>(given & 0xFFFF);
}

TNameValueList HeaderLines(const std::string& rawHeader) {
  TNameValueList lines(':');
  size_t start = 0;
  while (start <= rawHeader.size()) {
    size_t stop = rawHeader.find_first_of("\r\n", start);
    if (stop == std::string::npos) stop = rawHeader.size();
    lines.Add(rawHeader.substr(start, stop - start));
    if (stop == rawHeader.size()) break;
    start = stop + (rawHeader.compare(stop, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

std::string CharSetOf(const std::string& rawHeader) {
  if (Trim(rawHeader).empty()) return {};
  const std::string contentType = HeaderLines(rawHeader).Value("Content-Type");
  if (contentType.empty()) return {};
  for (const std::string& piece : SplitByChar(contentType, U';')) {
    const size_t equals = piece.find('=');
    if (AsciiLower(piece).find("charset") == std::string::npos || equals == std::string::npos)
      continue;
    std::string charset = Trim(piece.substr(equals + 1));
    if (!charset.empty()) return charset;
  }
  return {};
}

}  // namespace http_text
