#include "platform/Process.h"

#include "platform/Text.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinApi.h"

namespace platform {

namespace {

// An argument as the command-line rules read it back: quoted when it is
// empty or holds a character up to U+0020. A double quote inside cannot be
// written by those rules at all.
std::string Quoted(const std::string& arg) {
  bool blank = arg.empty();
  for (char c : arg)
    if (static_cast<unsigned char>(c) <= 0x20) blank = true;
  return blank ? "\"" + arg + "\"" : arg;
}

int StartWithCommandLine(const std::string& program, const std::string& commandLine,
                         const std::string& workingDir, STARTUPINFOW* startup, uint32_t* pid) {
  if (pid) *pid = 0;
  std::wstring line = Utf8ToWide(commandLine);  // CreateProcessW may write to it
  const std::wstring folder = Utf8ToWide(workingDir);
  PROCESS_INFORMATION created{};
  if (!::CreateProcessW(Utf8ToWide(program).c_str(), line.data(), nullptr, nullptr, FALSE,
                        NORMAL_PRIORITY_CLASS, nullptr, folder.empty() ? nullptr : folder.c_str(),
                        startup, &created))
    return static_cast<int>(::GetLastError());
  const UniqueHandle thread(created.hThread), process(created.hProcess);
  // Ready for input, or at once for a program without a message queue.
  ::WaitForInputIdle(process.get(), INFINITE);
  if (pid) *pid = created.dwProcessId;
  return 0;
}

class HandleTerminator : public ProcessTerminator {
 public:
  explicit HandleTerminator(HANDLE process) : process_(process) {}
  bool Terminate() override { return ::TerminateProcess(process_.get(), 0) != FALSE; }

 private:
  UniqueHandle process_;
};

}  // namespace

int StartProgram(const std::string& program, const std::vector<std::string>& args,
                 const StartOptions& options, uint32_t* pid) {
  if (program.empty()) {
    if (pid) *pid = 0;
    return ERROR_FILE_NOT_FOUND;
  }
  // A Windows program outlives the one that started it anyway.
  std::string commandLine = "\"" + program + "\"";
  for (const std::string& arg : args) commandLine += " " + Quoted(arg);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return StartWithCommandLine(program, commandLine, options.workingDir, &startup, pid);
}

int LaunchProgram(const std::string& program, const std::string& commandLine, uint16_t showWindow,
                  uint32_t* pid) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK;
  startup.wShowWindow = showWindow;
  return StartWithCommandLine(program, commandLine, {}, &startup, pid);
}

int ShellOpen(const std::string& file, const std::string& parameterText,
              const ShellOpenOptions& options) {
  const std::wstring folder = Utf8ToWide(options.workingDir);
  const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(
      options.desktopOwner ? ::GetDesktopWindow() : nullptr, L"open", Utf8ToWide(file).c_str(),
      Utf8ToWide(parameterText).c_str(), folder.empty() ? nullptr : folder.c_str(), options.show));
  // Above 32 is success; below, the shell's own error numbers.
  return result > 32 ? 0 : static_cast<int>(result);
}

bool SnapshotProcesses(std::vector<ProcessEntry>* entries) {
  entries->clear();
  const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.valid()) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
       more = ::Process32NextW(snapshot.get(), &entry))
    entries->push_back({entry.th32ProcessID, entry.th32ParentProcessID, false});
  return true;
}

void ReapIfChild(uint32_t pid) {
  // The system collects every ended process itself.
}

std::unique_ptr<ProcessTerminator> ProcessTerminator::Open(uint32_t pid) {
  const HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, pid);
  if (!process) return nullptr;
  return std::make_unique<HandleTerminator>(process);
}

void Sleep(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

}  // namespace platform
