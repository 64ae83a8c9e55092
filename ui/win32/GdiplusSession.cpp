#include "ui/win32/GdiplusSession.h"

#include "ui/win32/WinGdi.h"

TGdiplusSession::TGdiplusSession() {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok) token_ = token;
}

TGdiplusSession::~TGdiplusSession() {
  if (token_) Gdiplus::GdiplusShutdown(token_);
}
