#pragma once

#include <cstdint>

// GDI+ for the whole program: started before the first window is made, shut
// down after the last picture is gone. The program's entry holds one.
class TGdiplusSession {
 public:
  TGdiplusSession();
  ~TGdiplusSession();
  TGdiplusSession(const TGdiplusSession&) = delete;
  TGdiplusSession& operator=(const TGdiplusSession&) = delete;

  bool Started() const { return token_ != 0; }

 private:
  uintptr_t token_ = 0;
};
