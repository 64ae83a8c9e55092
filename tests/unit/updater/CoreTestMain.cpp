// The run suites without a window: HTTP events go through Qt's event queue,
// so they need an application object on the main thread.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <csignal>
#include <cstdlib>

#include "http/HTTPLibrary.h"

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  for (const char* name :
       {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
    unsetenv(name);
  ::testing::InitGoogleTest(&argc, argv);
  THTTPLibrary library;
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
