#pragma once

#include "ui/win32/WinGdi.h"

// The DPI of the window's monitor. GetDpiForWindow is looked up at run time:
// Windows 7 lacks it, and there the system DPI holds for every window.
int WindowPPI(HWND window);
