// Adds a certificate authority (PEM or DER file) to the machine's ROOT store,
// so that WinInet in this Wine prefix trusts servers the tests certify.
//   add_root_cert <ca file>
#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <cstdio>
#include <vector>

#include "tests/tools/wine/WinHandle.h"

namespace {

void CloseStore(HCERTSTORE store) {
  CertCloseStore(store, 0);
}
using StoreHandle = wintools::UniqueHandle<HCERTSTORE, CloseStore>;

bool ReadAll(const wchar_t* path, std::vector<BYTE>* out) {
  wintools::FileHandle file = wintools::OpenFile(path);
  if (!file) return false;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size)) return false;
  out->resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  return ReadFile(file.get(), out->data(), static_cast<DWORD>(out->size()), &read, nullptr) &&
         read == out->size();
}

// DER as it is; PEM decoded. Anything else fails when the store parses it.
std::vector<BYTE> ToDer(const std::vector<BYTE>& file) {
  DWORD size = 0;
  const auto* text = reinterpret_cast<const char*>(file.data());
  const auto length = static_cast<DWORD>(file.size());
  if (!CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr,
                            nullptr))
    return file;
  std::vector<BYTE> der(size);
  CryptStringToBinaryA(text, length, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                       nullptr);
  der.resize(size);
  return der;
}

int Fail(const char* what) {
  std::fprintf(stderr, "add_root_cert: %s failed, error %lu\n", what, GetLastError());
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: add_root_cert <ca file>\n");
    return 2;
  }
  std::vector<BYTE> file;
  if (!ReadAll(argv[1], &file)) return Fail("reading the file");
  const std::vector<BYTE> der = ToDer(file);
  StoreHandle store(
      CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT"));
  if (!store) return Fail("CertOpenStore");
  if (!CertAddEncodedCertificateToStore(store.get(), X509_ASN_ENCODING, der.data(),
                                        static_cast<DWORD>(der.size()),
                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr))
    return Fail("CertAddEncodedCertificateToStore");
  return 0;
}
