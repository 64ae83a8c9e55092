#pragma once

// The platform's HTTP client, set up for the life of the process. The
// program's entry makes one before any transfer starts and before it starts
// threads of its own; it is torn down after the last transfer has ended.
class THTTPLibrary {
 public:
  THTTPLibrary();
  ~THTTPLibrary();
  THTTPLibrary(const THTTPLibrary&) = delete;
  THTTPLibrary& operator=(const THTTPLibrary&) = delete;
};
