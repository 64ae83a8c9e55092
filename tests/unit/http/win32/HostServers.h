#pragma once

#include <string>

namespace http_testing {

// The port of one of http_test_host's servers ("plain", "raw", "tls",
// "self"), from the list it wrote; 0 when it is not there.
int HostPort(const std::string& name);

// The body of a GET of `url`, made with the component itself in BlockMode.
std::string Fetch(const std::string& url);

}  // namespace http_testing
