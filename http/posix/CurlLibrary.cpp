#include <curl/curl.h>

#include "http/HTTPLibrary.h"

// libcurl's set-up is not safe to run while other threads use the library,
// so it happens here, once, and not on a transfer's first use.
THTTPLibrary::THTTPLibrary() {
  curl_global_init(CURL_GLOBAL_DEFAULT);
}

THTTPLibrary::~THTTPLibrary() {
  curl_global_cleanup();
}
