#include "tests/tools/faults/GoneProcess.h"

#include <windows.h>

#include <string>

namespace testing_tools {

uint32_t GoneProcessId() {
  // The system's own shell is there on every Windows and under Wine.
  std::wstring commandLine = L"cmd.exe /c exit 0";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                      nullptr, nullptr, &startup, &process))
    return 0;
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return process.dwProcessId;
}

}  // namespace testing_tools
