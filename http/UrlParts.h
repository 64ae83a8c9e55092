#pragma once

#include <stdexcept>
#include <string>

// The parts of a URL that a transfer needs. User information and the
// fragment are split off and dropped.
struct TUrlParts {
  std::string Protocol;
  std::string Host;      // without brackets for an IPv6 literal
  std::string Port;      // empty when the URL names none
  std::string Path;      // begins and ends with "/"
  std::string Document;  // the text after the last "/"
  std::string Query;     // without the "?"
};

// Backslashes count as slashes. Throws std::invalid_argument for a text that
// is not a URL.
TUrlParts SplitUrl(const std::string& url);
