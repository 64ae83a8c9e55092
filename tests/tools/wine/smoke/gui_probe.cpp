// The smallest window-subsystem program with the application manifest
// (cmake/windows), for check-pe to find both in an i686 and an x86_64 build.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  return 0;
}
