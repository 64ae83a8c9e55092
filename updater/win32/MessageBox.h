#pragma once

#include "platform/win32/WinApi.h"

// The run's two messages: an information box with one OK button. The text is
// UTF-8; its "\r\n" breaks the line.
void ShowInformationMessage(HWND owner, const char* text);
