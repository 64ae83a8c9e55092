#pragma once

#include <memory>
#include <type_traits>

#include "platform/ComPtr.h"
#include "ui/win32/WinGdi.h"

namespace ui_win32 {

// GDI objects (bitmaps, fonts, brushes) deleted when they go.
struct GdiObjectDelete {
  void operator()(void* object) const { ::DeleteObject(static_cast<HGDIOBJ>(object)); }
};
template <typename H>
using UniqueGdiObject = std::unique_ptr<std::remove_pointer_t<H>, GdiObjectDelete>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueFont = UniqueGdiObject<HFONT>;

// A memory device context of our own.
struct DcDelete {
  void operator()(HDC dc) const { ::DeleteDC(dc); }
};
using UniqueMemoryDC = std::unique_ptr<std::remove_pointer_t<HDC>, DcDelete>;

// An object selected into a device context for as long as this lives.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (previous_) ::SelectObject(dc_, previous_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window's device context, released when it goes.
class WindowDC {
 public:
  explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDC() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDC(const WindowDC&) = delete;
  WindowDC& operator=(const WindowDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

template <class T>
using ComPtr = platform::ComPtr<T>;

// A global memory block until something else takes it.
class GlobalBlock {
 public:
  explicit GlobalBlock(HGLOBAL block) : block_(block) {}
  ~GlobalBlock() {
    if (block_) ::GlobalFree(block_);
  }
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;
  HGLOBAL get() const { return block_; }
  HGLOBAL release() {
    const HGLOBAL block = block_;
    block_ = nullptr;
    return block;
  }

 private:
  HGLOBAL block_;
};

// GDI+ objects of the flat API.
struct GPImageDispose {
  void operator()(Gdiplus::GpImage* image) const { Gdiplus::DllExports::GdipDisposeImage(image); }
};
struct GPGraphicsDelete {
  void operator()(Gdiplus::GpGraphics* graphics) const {
    Gdiplus::DllExports::GdipDeleteGraphics(graphics);
  }
};
using UniqueGPGraphics = std::unique_ptr<Gdiplus::GpGraphics, GPGraphicsDelete>;
struct GPPathDelete {
  void operator()(Gdiplus::GpPath* path) const { Gdiplus::DllExports::GdipDeletePath(path); }
};
using UniqueGPPath = std::unique_ptr<Gdiplus::GpPath, GPPathDelete>;
struct GPBrushDelete {
  void operator()(Gdiplus::GpBrush* brush) const { Gdiplus::DllExports::GdipDeleteBrush(brush); }
};
using UniqueGPBrush = std::unique_ptr<Gdiplus::GpBrush, GPBrushDelete>;
struct GPPenDelete {
  void operator()(Gdiplus::GpPen* pen) const { Gdiplus::DllExports::GdipDeletePen(pen); }
};
using UniqueGPPen = std::unique_ptr<Gdiplus::GpPen, GPPenDelete>;

}  // namespace ui_win32
