#include "platform/ThreadName.h"

#include "platform/Text.h"
#include "platform/win32/WinApi.h"

namespace platform {

void NameThisThread(const std::string& name) {
  // Windows 10 1607 and later only: looked up, not linked.
  using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
  const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
  const auto set = kernel ? reinterpret_cast<SetDescription>(reinterpret_cast<void*>(
                                ::GetProcAddress(kernel, "SetThreadDescription")))
                          : nullptr;
  if (set) set(::GetCurrentThread(), Utf8ToWide(name.substr(0, 15)).c_str());
}

}  // namespace platform
