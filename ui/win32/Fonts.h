#pragma once

#include "ui/win32/GdiHandles.h"

// The frame's own texts: Tahoma, `height` as a LOGFONT height (negative: the
// characters' height in pixels). Korean comes from the fonts the system
// links to Tahoma ("맑은 고딕" on Windows).
ui_win32::UniqueFont FrameFont(int height, int weight = FW_NORMAL);

// The product's text face "맑은 고딕".
ui_win32::UniqueFont ProductFont(int height, int weight = FW_NORMAL);
