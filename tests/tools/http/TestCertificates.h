#pragma once

#include <memory>
#include <string>

namespace testing_tools {

struct CertificateFiles {
  std::string certFile;  // PEM
  std::string keyFile;   // PEM
};

// A certificate authority made at test time, kept in `folder`. It issues
// server certificates; a test trusts it by handing `caFile()` to the client.
class TestAuthority {
 public:
  explicit TestAuthority(const std::string& folder);
  ~TestAuthority();
  TestAuthority(const TestAuthority&) = delete;
  TestAuthority& operator=(const TestAuthority&) = delete;

  const std::string& caFile() const { return ca_.certFile; }

  // A server certificate for `altNames` (such as "IP:127.0.0.1,DNS:localhost"),
  // valid from `fromDays` to `toDays` days from now.
  CertificateFiles Issue(const std::string& name, const std::string& altNames, long fromDays = -1,
                         long toDays = 30);

  // A server certificate that signs itself.
  static CertificateFiles SelfSigned(const std::string& folder, const std::string& name,
                                     const std::string& altNames);

 private:
  struct Keys;
  std::string folder_;
  CertificateFiles ca_;
  std::unique_ptr<Keys> keys_;
};

}  // namespace testing_tools
