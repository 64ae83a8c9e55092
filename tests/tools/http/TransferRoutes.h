#pragma once

#include <atomic>
#include <cstddef>
#include <string>

#include "tests/tools/http/Pattern.h"
#include "tests/tools/http/RouteSizes.h"
#include "tests/tools/http/TestServer.h"

namespace testing_tools {

// The answers the HTTP suites download against, on one server. The Linux
// suites run it in their own process; the Windows ones reach it in a Linux
// process of its own (http_test_host).
struct TransferRoutes : RouteSizes {
  // Besides the downloads: GET /counts answers "<served> <echoed>", GET
  // /release releases. Registers every route on `server`, which must outlive nothing here:
  // the routes refer to this object.
  explicit TransferRoutes(TestServer& server);

  const std::string body = Pattern(kBodySize);
  const std::string chunk = Pattern(kSlowChunk);
  std::atomic<int> echoed{0};
  std::atomic<int> served{0};
  // Each release lets the /pause requests made before it go on.
  std::atomic<int> releases{0};

 private:
  TestServer& server_;
};

}  // namespace testing_tools
