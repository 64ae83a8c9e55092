// The Windows API and GDI+ for the frame's Windows forms.
#pragma once

#include <windows.h>
// These need windows.h first.
#include <gdiplus.h>
#include <objidl.h>
