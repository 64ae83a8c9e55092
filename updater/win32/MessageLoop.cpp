#include "updater/win32/MessageLoop.h"

#include "platform/win32/WinApi.h"

int RunMessageLoop() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    try {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    } catch (...) {
    }
  }
  return static_cast<int>(message.wParam);
}
