// The HTTP suites deliver their events through Qt's event queue, so they need
// an application object on the main thread.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <csignal>
#include <cstdlib>

#include "http/HTTPLibrary.h"
#include "http/QVHTTP.h"
#include "platform/Files.h"

int main(int argc, char** argv) {
  // A peer that hangs up mid-write must show up as a failed write.
  std::signal(SIGPIPE, SIG_IGN);
  // Every request of these suites goes to 127.0.0.1 directly.
  for (const char* name :
       {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
    unsetenv(name);
  ::testing::InitGoogleTest(&argc, argv);
  THTTPLibrary library;
  SetAgentVersion(ReadFileVersion(platform::ExecutablePath()));
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
