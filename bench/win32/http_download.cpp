// Downloads one URL into a file with the HTTP component in file mode, its
// events dispatched by a message loop as the update window's will be,
// progress reports included: bench_http_download <url> <file>
#include <windows.h>

#include <cstdio>
#include <string>

#include "http/HTTPLibrary.h"
#include "http/QVHTTP.h"
#include "platform/Text.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_http_download <url> <file>\n");
    return 2;
  }
  THTTPLibrary library;
  long reports = 0;
  bool success = false;
  TQVHTTP http;
  http.SetMethod("GET");
  http.SetURL(platform::WideToUtf8(argv[1]));
  http.SetDownFileName(platform::WideToUtf8(argv[2]));
  http.OnProgress = [&reports](THTTPSender*, int32_t, int32_t) { ++reports; };
  http.OnEnd = [&success](THTTPSender*, bool ok) {
    success = ok;
    PostQuitMessage(0);
  };
  http.RequestHTTPData();
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (!success) {
    std::fprintf(stderr, "download failed: status %s\n", http.StatusCode().c_str());
    return 1;
  }
  return reports > 0 ? 0 : 1;
}
