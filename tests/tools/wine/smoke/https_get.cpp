// Requests a URL with WinInet, as the Windows program will: exit 0 when the
// server answers 200, else "error <code>" on stdout and exit 1. The body is
// not read: openssl s_server, the server of the check, does not end it.
//   https_get <url>
#include <windows.h>
// After windows.h, which it needs.
#include <wininet.h>

#include <cstdio>

#include "tests/tools/wine/WinHandle.h"

namespace {

using InternetHandle = wintools::UniqueHandle<HINTERNET, InternetCloseHandle>;

int Fail(const char* what) {
  std::printf("%s: error %lu\n", what, GetLastError());
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: https_get <url>\n");
    return 2;
  }
  InternetHandle session(
      InternetOpenW(L"wine-smoke", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  if (!session) return Fail("InternetOpenW");
  InternetHandle request(InternetOpenUrlW(
      session.get(), argv[1], nullptr, 0,
      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI, 0));
  if (!request) return Fail("InternetOpenUrlW");

  DWORD status = 0, size = sizeof status;
  if (!HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                      &size, nullptr))
    return Fail("HttpQueryInfoW");
  std::printf("status %lu\n", status);
  return status == 200 ? 0 : 1;
}
