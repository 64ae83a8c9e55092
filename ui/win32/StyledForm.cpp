#include "ui/win32/StyledForm.h"

#include <dwmapi.h>

#include "ui/win32/Dpi.h"

namespace {

// Windows 11's rounded corners; older systems refuse the attribute.
constexpr DWORD kWindowCornerPreference = 33;
constexpr DWORD kCornerRound = 2;

}  // namespace

void TStyledForm::Attach(HWND window) {
  window_ = window;
  formPPI_ = WindowPPI(window);
  // A one-pixel frame margin is enough for the window manager to draw the
  // shadow of a window without a platform frame. Without composition (and
  // under Wine) these fail and the window simply has no shadow.
  const MARGINS shadow{1, 1, 1, 1};
  DwmExtendFrameIntoClientArea(window, &shadow);
  DwmSetWindowAttribute(window, kWindowCornerPreference, &kCornerRound, sizeof(kCornerRound));
}

bool TStyledForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_NCCALCSIZE:
      // The whole window is client area: no platform caption or border.
      result = 0;
      return true;
    case WM_NCACTIVATE:
      // The platform must not paint its own frame on activation; -1 keeps it
      // from drawing while the message still does its work.
      result = DefWindowProcW(window_, message, wParam, -1);
      return true;
    case WM_ACTIVATE:
      active_ = LOWORD(wParam) != WA_INACTIVE;
      if (OnChangeActive) OnChangeActive();
      return false;
    case WM_SHOWWINDOW:
      if (wParam && !shown_) FirstShow();
      return false;
    case WM_DPICHANGED: {
      // The window's new DPI comes with the message; the suggested rectangle
      // keeps its physical size on the new monitor.
      const int ppi = LOWORD(wParam);
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      formPPI_ = ppi;
      if (maximized_) {
        const int width = MulDiv(normalBounds_.right - normalBounds_.left, ppi, reportedPPI_);
        const int height = MulDiv(normalBounds_.bottom - normalBounds_.top, ppi, reportedPPI_);
        normalBounds_.right = normalBounds_.left + width;
        normalBounds_.bottom = normalBounds_.top + height;
      } else if (suggested) {
        SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      }
      if (ppi != reportedPPI_) {
        const double factor = static_cast<double>(ppi) / reportedPPI_;
        reportedPPI_ = ppi;
        if (OnChangeScale) OnChangeScale(factor);
      }
      result = 0;
      return true;
    }
    default:
      return false;
  }
}

// Shown first on a monitor of another DPI than the design's, the window
// reports its scale once.
void TStyledForm::FirstShow() {
  shown_ = true;
  formPPI_ = WindowPPI(window_);
  if (formPPI_ != reportedPPI_) {
    const double factor = static_cast<double>(formPPI_) / reportedPPI_;
    reportedPPI_ = formPPI_;
    if (OnChangeScale) OnChangeScale(factor);
  }
}

void TStyledForm::Maximize() {
  if (maximized_ || !window_) return;
  GetWindowRect(window_, &normalBounds_);
  const POINT centre{(normalBounds_.left + normalBounds_.right) / 2,
                     (normalBounds_.top + normalBounds_.bottom) / 2};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromPoint(centre, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  maximized_ = true;
  const RECT& work = monitor.rcWork;
  SetWindowPos(window_, nullptr, work.left, work.top, work.right - work.left,
               work.bottom - work.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (OnDWMClientMaximize) OnDWMClientMaximize();
}

void TStyledForm::Restore(const RECT* bounds) {
  if (!maximized_ || !window_) return;
  maximized_ = false;
  const RECT& to = bounds ? *bounds : normalBounds_;
  SetWindowPos(window_, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  if (OnDWMClientRestore) OnDWMClientRestore();
}
