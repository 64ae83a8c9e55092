// The HTTP suites under Wine: the component's events arrive through the
// test thread's window messages, which the suites dispatch themselves.
#include <gtest/gtest.h>

#include "http/HTTPLibrary.h"
#include "http/QVHTTP.h"
#include "platform/Files.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  THTTPLibrary library;
  SetAgentVersion(ReadFileVersion(platform::ExecutablePath()));
  return RUN_ALL_TESTS();
}
