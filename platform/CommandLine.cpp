#include "platform/CommandLine.h"

namespace platform {

std::vector<std::string> SplitCommandLine(const std::string& text) {
  std::vector<std::string> args;
  size_t i = 0;
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  while (true) {
    while (i < text.size() && isBlank(text[i])) ++i;
    if (i >= text.size()) break;
    std::string arg;
    while (i < text.size() && !isBlank(text[i])) {
      if (text[i] == '"') {
        ++i;
        while (i < text.size() && text[i] != '"') arg += text[i++];
        if (i < text.size()) ++i;  // closing quote
      } else {
        arg += text[i++];
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace platform
