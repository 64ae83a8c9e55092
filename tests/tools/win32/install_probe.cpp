// A library for the system's registration tool (regsvr32) to install: records
// each of its entry points that the tool calls in "<own path>.calls", as the
// fake main application records its starts (working folder, then the entry
// point and its arguments, separated by 0x1F).
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/Text.h"

namespace {

void Record(const std::wstring& fields) {
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&Record), &self);
  wchar_t path[MAX_PATH] = {}, folder[MAX_PATH] = {};
  GetModuleFileNameW(self, path, MAX_PATH);
  GetCurrentDirectoryW(MAX_PATH, folder);
  std::ofstream(std::filesystem::path(std::wstring(path) + L".calls"),
                std::ios::binary | std::ios::app)
      << platform::WideToUtf8(std::wstring(folder) + L'\x1f' + fields) << '\n';
}

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllInstall(BOOL install, PCWSTR command) {
  Record(std::wstring(L"DllInstall\x1f") + (install ? L"1" : L"0") + L'\x1f' +
         (command ? command : L""));
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  Record(L"DllRegisterServer");
  return S_OK;
}
