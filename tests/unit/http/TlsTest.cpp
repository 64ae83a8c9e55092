#include "tests/tools/http/TestCertificates.h"
#include "tests/tools/http/TestServer.h"
#include "tests/unit/http/TransferFixture.h"
#include "tests/unit/http/TransferServers.h"

namespace {

using namespace http_testing;
using testing_tools::CertificateFiles;
using testing_tools::TestAuthority;

// HTTPS checks the certificate chain, the host name and the dates; none of
// those errors is waved through.
TEST(Tls, ServerMustProveWhoItIs) {
  testing_tools::TempDir dir;
  TestAuthority authority(dir.path());
  const struct {
    const char* name;
    CertificateFiles certificate;
    bool trustAuthority;
    bool success;
  } cases[] = {
      {"trusted", authority.Issue("good", "IP:127.0.0.1,DNS:localhost"), true, true},
      {"unknown authority", authority.Issue("unknown", "IP:127.0.0.1"), false, false},
      {"self-signed", TestAuthority::SelfSigned(dir.path(), "self", "IP:127.0.0.1,DNS:localhost"),
       true, false},
      {"other host name", authority.Issue("other", "DNS:updates.example.test"), true, false},
      {"expired", authority.Issue("expired", "IP:127.0.0.1", -30, -1), true, false},
      {"not yet valid", authority.Issue("early", "IP:127.0.0.1", 2, 30), true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing_tools::TestServer server(c.certificate.certFile, c.certificate.keyFile);
    server.http().Get("/patch.zip", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("PK-payload", "application/zip");
    });
    server.start();

    TQVHTTP http;
    Outcome outcome;
    Watch(http, outcome);
    if (c.trustAuthority) http.SetCACertFile(authority.caFile());
    http.SetMethod("GET");
    http.SetDownFileName(dir / (std::string(c.name) + ".zip"));
    http.SetURL(server.url("/patch.zip"));
    ASSERT_TRUE(RunToEnd(http, outcome));
    EXPECT_EQ(outcome.success, c.success);
    EXPECT_TRUE(http.UseSSL());
    if (c.success) {
      EXPECT_EQ(ReadAll(dir / (std::string(c.name) + ".zip")), "PK-payload");
    } else {
      EXPECT_EQ(http.StatusCode(), "");
      EXPECT_FALSE(Exists(dir / (std::string(c.name) + ".zip")));
    }
  }
}

TEST(Tls, UseSslStaysOnForLaterPlainUrls) {
  testing_tools::TempDir dir;
  TestAuthority authority(dir.path());
  const CertificateFiles certificate = authority.Issue("good", "IP:127.0.0.1");
  testing_tools::TestServer server(certificate.certFile, certificate.keyFile);
  server.http().Get("/a", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("secure", "text/plain");
  });
  server.start();
  const std::string plainUrl = "http://127.0.0.1:" + std::to_string(server.port()) + "/a";

  TQVHTTP http;
  http.SetCACertFile(authority.caFile());
  http.SetMethod("GET");
  Outcome first;
  Watch(http, first);
  http.SetURL(server.url("/a"));
  ASSERT_TRUE(RunToEnd(http, first));
  EXPECT_TRUE(first.success);
  ASSERT_TRUE(http.UseSSL());

  Outcome second;
  Watch(http, second);
  http.SetURL(plainUrl);
  ASSERT_TRUE(RunToEnd(http, second));
  EXPECT_TRUE(second.success);
  EXPECT_EQ(http.ReturnStr(), "secure");
}

// A redirection is followed to another TLS address, never into the clear:
// the server's proof of who it is would not cover what a plain request
// fetches.
TEST(Tls, RedirectsNeverLeaveTls) {
  testing_tools::TempDir dir;
  TestAuthority authority(dir.path());
  const CertificateFiles certificate = authority.Issue("good", "IP:127.0.0.1");
  TransferServers plain;
  testing_tools::TestServer server(certificate.certFile, certificate.keyFile);
  server.http().Get("/a", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("secure", "text/plain");
  });
  server.http().Get("/hop", [&server](const httplib::Request&, httplib::Response& res) {
    res.set_redirect(server.url("/a"));
  });
  server.http().Get("/downgrade", [&plain](const httplib::Request&, httplib::Response& res) {
    res.set_redirect(plain.url("/file"));
  });
  server.start();

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
    http.SetCACertFile(authority.caFile());
    http.SetMethod("GET");
    http.SetURL(server.url(c.path));
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
