#pragma once

#include <windows.h>

namespace testing_tools {

// Whether this Windows program runs under Wine, for the few checks where Wine
// does not do what Windows does.
inline bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace testing_tools
