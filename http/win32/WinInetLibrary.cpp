#include "http/HTTPLibrary.h"

// WinInet needs no set-up of its own: every transfer opens and closes its
// own session.
THTTPLibrary::THTTPLibrary() = default;

THTTPLibrary::~THTTPLibrary() = default;
