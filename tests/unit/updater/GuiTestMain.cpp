// The window suites run in one application object on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>

#include <csignal>
#include <cstdlib>

#include "http/HTTPLibrary.h"
#include "ui/qt/HighDpi.h"

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  for (const char* name :
       {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
    unsetenv(name);
  ::testing::InitGoogleTest(&argc, argv);
  THTTPLibrary library;
  UseDevicePixels();
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
