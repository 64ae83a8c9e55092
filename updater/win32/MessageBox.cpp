#include "updater/win32/MessageBox.h"

#include "platform/Text.h"
#include "updater/WindowDesign.h"

void ShowInformationMessage(HWND owner, const char* text) {
  const std::wstring message = platform::Utf8ToWide(text);
  const std::wstring caption = platform::Utf8ToWide(window_design::kCaption);
  MessageBoxW(owner, message.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}
