#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "platform/Text.h"
#include "tests/tools/win32/Wine.h"
#include "tests/unit/http/TransferFixture.h"

namespace http_testing {

bool WorkerRunning() {
  using GetDescription = HRESULT(WINAPI*)(HANDLE, PWSTR*);
  const auto get = reinterpret_cast<GetDescription>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
  if (!get) return false;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  bool running = false;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != GetCurrentProcessId()) continue;
    const HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
    if (!thread) continue;
    PWSTR name = nullptr;
    if (SUCCEEDED(get(thread, &name)) && name) {
      running |= std::wstring(name) == L"QVHTTPThread";
      LocalFree(name);
    }
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return running;
}

// The transfer holds its target shared with nobody: while it is open here,
// nobody else can open it.
bool IsOpenHere(const std::string& path) {
  const HANDLE file = CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

}  // namespace http_testing

namespace http_testing {

// Linux's own, as Wine shows it.
std::string FullDevice() {
  return "Z:\\dev\\full";
}

}  // namespace http_testing

namespace http_testing {

bool HandleIsTheComponentsOwn(TQVHTTP& http) {
  return IsWindow(http.Handle()) &&
         GetWindowThreadProcessId(http.Handle(), nullptr) == GetCurrentThreadId();
}

}  // namespace http_testing

namespace http_testing {

const char* StopWaitsForANetworkCall() {
  return testing_tools::UnderWine()
             ? "Wine 8 does not end a blocked InternetReadFile when another thread closes its "
               "request handle (Windows does); the read goes on until data or the time-out"
             : nullptr;
}

}  // namespace http_testing
