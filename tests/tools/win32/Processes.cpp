#include "tests/tools/Processes.h"

#include <windows.h>

#include "platform/Text.h"

namespace testing_tools {

struct StartedProgram::Handle {
  PROCESS_INFORMATION process{};
  bool waited = false;
};

StartedProgram::StartedProgram(const std::string& exe, const std::vector<std::string>& args,
                               const std::string& workingDir)
    : handle_(std::make_unique<Handle>()) {
  // Quoted as the updater's command-line rules read them back.
  std::string commandLine = "\"" + exe + "\"";
  for (const std::string& arg : args) commandLine += " \"" + arg + "\"";
  std::wstring line = platform::Utf8ToWide(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(platform::Utf8ToWide(exe).c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, platform::Utf8ToWide(workingDir).c_str(), &startup,
                      &handle_->process))
    handle_->process = {};
  if (handle_->process.hThread) CloseHandle(handle_->process.hThread);
}

StartedProgram::~StartedProgram() {
  const HANDLE process = handle_->process.hProcess;
  if (!process) return;
  if (!handle_->waited) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, INFINITE);
  }
  CloseHandle(process);
}

bool StartedProgram::started() const {
  return handle_->process.hProcess != nullptr;
}

uint32_t StartedProgram::pid() const {
  return handle_->process.dwProcessId;
}

int StartedProgram::Wait() {
  const HANDLE process = handle_->process.hProcess;
  if (!process || handle_->waited) return -1;
  handle_->waited = true;
  DWORD code = 0;
  if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process, &code))
    return -1;
  return static_cast<int>(code);
}

}  // namespace testing_tools
