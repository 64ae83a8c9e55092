// Downloads one URL into a file with the HTTP component in file mode, on an
// event loop as the update run does, progress reports included:
// bench_http_download <url> <file>
#include <QCoreApplication>
#include <cstdio>

#include "http/HTTPLibrary.h"
#include "http/QVHTTP.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <url> <file>\n", argv[0]);
    return 2;
  }
  THTTPLibrary library;
  QCoreApplication app(argc, argv);
  long reports = 0;
  bool success = false;
  TQVHTTP http;
  http.SetMethod("GET");
  http.SetURL(argv[1]);
  http.SetDownFileName(argv[2]);
  http.OnProgress = [&reports](QObject*, int32_t, int32_t) { ++reports; };
  http.OnEnd = [&success](QObject*, bool ok) {
    success = ok;
    QCoreApplication::quit();
  };
  http.RequestHTTPData();
  app.exec();
  if (!success) {
    std::fprintf(stderr, "download failed: status %s\n", http.StatusCode().c_str());
    return 1;
  }
  return reports > 0 ? 0 : 1;
}
