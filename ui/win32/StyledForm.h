#pragma once

#include <functional>

#include "ui/win32/WinGdi.h"

// Stands in for the platform frame of a borderless window: the whole window
// is client area with the desktop window manager's shadow; it keeps the
// window's DPI, maximizes into the work area and restores, and reports
// activation, scale changes, maximize and restore.
class TStyledForm {
 public:
  // The DPI the window is laid out for.
  int CurrentPPI() const { return formPPI_; }

  bool IsMaximized() const { return maximized_; }
  // Whether the window was active at the last activation change.
  bool Active() const { return active_; }
  RECT NormalBounds() const { return normalBounds_; }
  // Fills the work area of the monitor under the window's centre.
  void Maximize();
  // Back to the normal bounds, or to `bounds` when given.
  void Restore(const RECT* bounds = nullptr);

  std::function<void()> OnChangeActive;
  // The window's DPI differs from the one it was last scaled for; the
  // factor is new DPI / old DPI.
  std::function<void(double factor)> OnChangeScale;
  std::function<void()> OnDWMClientMaximize;
  std::function<void()> OnDWMClientRestore;

  // The form's window procedure calls these.
  void Attach(HWND window);
  // True when the message is taken; `result` is then its answer.
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  void FirstShow();

  HWND window_ = nullptr;
  int formPPI_ = 96;      // DPI of the window's sizes
  int reportedPPI_ = 96;  // DPI of the last scale report; designs are made at 96
  bool shown_ = false;
  bool active_ = false;
  bool maximized_ = false;
  RECT normalBounds_{};
};
