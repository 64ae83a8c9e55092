// HTTPS over WinInet against http_test_host's servers: the "tls" one is
// certified by the authority that CTest put into the prefix's machine ROOT
// store, the "self" one by nobody.
#include "tests/unit/http/TransferFixture.h"
#include "tests/unit/http/TransferServers.h"
#include "tests/unit/http/win32/HostServers.h"

namespace {

using namespace http_testing;

// Its certificate names localhost, where the servers listen.
std::string Url(const char* scheme, const std::string& server, const std::string& path) {
  return std::string(scheme) + "://localhost:" + std::to_string(HostPort(server)) + path;
}

TEST(Tls, ServerMustProveWhoItIs) {
  testing_tools::TempDir dir;
  const struct {
    const char* server;
    bool success;
  } cases[] = {
      {"tls", true},
      {"self", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    ASSERT_NE(HostPort(c.server), 0);
    TQVHTTP http;
    Outcome outcome;
    Watch(http, outcome);
    const std::string target = dir / (std::string(c.server) + ".zip");
    http.SetMethod("GET");
    http.SetDownFileName(target);
    http.SetURL(Url("https", c.server, "/patch.zip"));
    ASSERT_TRUE(RunToEnd(http, outcome));
    EXPECT_EQ(outcome.success, c.success);
    EXPECT_TRUE(http.UseSSL());
    if (c.success) {
      EXPECT_EQ(ReadAll(target), "PK-payload");
    } else {
      EXPECT_EQ(http.StatusCode(), "");
      EXPECT_FALSE(Exists(target));
    }
  }
}

TEST(Tls, UseSslStaysOnForLaterPlainUrls) {
  TQVHTTP http;
  http.SetMethod("GET");
  Outcome first;
  Watch(http, first);
  http.SetURL(Url("https", "tls", "/a"));
  ASSERT_TRUE(RunToEnd(http, first));
  EXPECT_TRUE(first.success);
  ASSERT_TRUE(http.UseSSL());

  Outcome second;
  Watch(http, second);
  http.SetURL(Url("http", "tls", "/a"));
  ASSERT_TRUE(RunToEnd(http, second));
  EXPECT_TRUE(second.success);
  EXPECT_EQ(http.ReturnStr(), "secure");
}

// A redirection is followed to another TLS address, never into the clear:
// the server's proof of who it is would not cover what a plain request
// fetches. "/downgrade" sends to the plain server's GET /file.
TEST(Tls, RedirectsNeverLeaveTls) {
  TransferServers plain;
  const struct {
    const char* path;
    bool success;
  } cases[] = {
      {"/hop", true},
      {"/downgrade", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const int servedBefore = plain.served();
    TQVHTTP http;
    Outcome outcome;
    Watch(http, outcome);
    http.SetMethod("GET");
    http.SetURL(Url("https", "tls", c.path));
    ASSERT_TRUE(RunToEnd(http, outcome));
    EXPECT_EQ(outcome.success, c.success);
    if (c.success) {
      EXPECT_EQ(http.ReturnStr(), "secure");
    } else {
      EXPECT_EQ(http.StatusCode(), "302");
      EXPECT_TRUE(http.ReturnStr().empty());
      EXPECT_EQ(plain.served(), servedBefore);
    }
  }
}

}  // namespace
