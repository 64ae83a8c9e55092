#include "tests/tools/http/TestCertificates.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <stdexcept>

namespace testing_tools {

namespace {

struct KeyDeleter {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertDeleter {
  void operator()(X509* cert) const { X509_free(cert); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyDeleter>;
using Cert = std::unique_ptr<X509, CertDeleter>;

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("certificate making failed: ") + what);
}

Key NewKey() {
  Key key(EVP_EC_gen("P-256"));
  Check(key != nullptr, "key");
  return key;
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
  Check(extension != nullptr, "extension");
  X509_add_ext(cert, extension, -1);
  X509_EXTENSION_free(extension);
}

// `issuer` and `issuerKey` null: the certificate signs itself.
Cert MakeCertificate(const std::string& name, EVP_PKEY* key, X509* issuer, EVP_PKEY* issuerKey,
                     bool authority, const std::string& altNames, long fromDays, long toDays) {
  static long serial = 1000;
  Cert cert(X509_new());
  Check(cert != nullptr, "x509");
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), ++serial);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), fromDays * 86400L);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), toDays * 86400L);
  X509_set_pubkey(cert.get(), key);
  X509_NAME* subject = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(subject, "CN", MBSTRING_ASC,
                             reinterpret_cast<const unsigned char*>(name.c_str()), -1, -1, 0);
  X509* signer = issuer ? issuer : cert.get();
  X509_set_issuer_name(cert.get(), X509_get_subject_name(signer));
  AddExtension(cert.get(), signer, NID_basic_constraints,
               authority ? "critical,CA:TRUE" : "CA:FALSE");
  AddExtension(cert.get(), signer, NID_key_usage,
               authority ? "critical,keyCertSign,cRLSign" : "critical,digitalSignature");
  AddExtension(cert.get(), signer, NID_subject_key_identifier, "hash");
  if (!altNames.empty()) AddExtension(cert.get(), signer, NID_subject_alt_name, altNames);
  if (!authority) AddExtension(cert.get(), signer, NID_ext_key_usage, "serverAuth");
  Check(X509_sign(cert.get(), issuerKey ? issuerKey : key, EVP_sha256()) > 0, "sign");
  return cert;
}

void WritePem(const std::string& path, X509* cert, EVP_PKEY* key) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  Check(file != nullptr, "open");
  const bool ok = cert
                      ? PEM_write_X509(file, cert) == 1
                      : PEM_write_PrivateKey(file, key, nullptr, nullptr, 0, nullptr, nullptr) == 1;
  std::fclose(file);
  Check(ok, "write");
}

CertificateFiles Save(const std::string& folder, const std::string& name, X509* cert,
                      EVP_PKEY* key) {
  CertificateFiles files{folder + "/" + name + ".crt", folder + "/" + name + ".key"};
  WritePem(files.certFile, cert, nullptr);
  WritePem(files.keyFile, nullptr, key);
  return files;
}

}  // namespace

struct TestAuthority::Keys {
  Key key;
  Cert cert;
};

TestAuthority::TestAuthority(const std::string& folder) : folder_(folder), keys_(new Keys) {
  keys_->key = NewKey();
  keys_->cert = MakeCertificate("Updater Test Authority", keys_->key.get(), nullptr, nullptr, true,
                                "", -1, 60);
  ca_ = Save(folder_, "authority", keys_->cert.get(), keys_->key.get());
}

TestAuthority::~TestAuthority() = default;

CertificateFiles TestAuthority::Issue(const std::string& name, const std::string& altNames,
                                      long fromDays, long toDays) {
  Key key = NewKey();
  Cert cert = MakeCertificate(name, key.get(), keys_->cert.get(), keys_->key.get(), false, altNames,
                              fromDays, toDays);
  return Save(folder_, name, cert.get(), key.get());
}

CertificateFiles TestAuthority::SelfSigned(const std::string& folder, const std::string& name,
                                           const std::string& altNames) {
  Key key = NewKey();
  Cert cert = MakeCertificate(name, key.get(), nullptr, nullptr, false, altNames, -1, 30);
  return Save(folder, name, cert.get(), key.get());
}

}  // namespace testing_tools
