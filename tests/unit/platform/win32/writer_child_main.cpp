#include <string>
#include <vector>

#include "platform/Text.h"

int ChildMain(const std::vector<std::string>& args);

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(platform::WideToUtf8(argv[i]));
  return ChildMain(args);
}
