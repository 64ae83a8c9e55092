#pragma once

#include <fstream>
#include <string>

namespace testing_tools {

// The port of one of http_test_host's servers ("plain", "raw", "tls", "self",
// "packages"), from the list it wrote in `hostFolder`; 0 when it is not there.
inline int HostPort(const std::string& hostFolder, const std::string& name) {
  std::ifstream list(hostFolder + "/servers.txt");
  std::string server;
  int port = 0;
  while (list >> server >> port)
    if (server == name) return port;
  return 0;
}

}  // namespace testing_tools
