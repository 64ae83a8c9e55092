#pragma once

#include <cstdint>
#include <string>

#include "http/NameValueList.h"

// Small text routines of the HTTP component.
namespace http_text {

// Keeps ASCII letters, digits and ! $ ' ( ) * - . @ _, turns a blank into
// "+", and writes every other byte (UTF-8 bytes included) as %XX.
std::string UrlEncode(const std::string& text);

// Removes blanks and control characters (anything up to U+0020) at both ends.
std::string Trim(const std::string& text);

// The request target as composed, with the bytes that cannot stand in a
// request line escaped, so the line stays one line.
std::string EscapeRequestTarget(const std::string& target);

std::string AsciiLower(std::string text);
std::string AsciiUpper(std::string text);

// The decimal number a header value holds, or -1 when the whole value (blanks
// around it aside) is not one; only its low 32 bits are kept.
int32_t ContentLengthOf(const std::string& value);

// The port a URL's port text names (its low 16 bits), or `fallback` when the
// text is empty or not a decimal number.
uint16_t PortOr(const std::string& text, uint16_t fallback);

// The lines of a raw header block (split at CR LF, LF or CR), named by the
// text before their colon.
TNameValueList HeaderLines(const std::string& rawHeader);

// The charset named in the Content-Type line of a raw header block, or empty.
std::string CharSetOf(const std::string& rawHeader);

}  // namespace http_text
