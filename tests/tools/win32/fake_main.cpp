// Stands in for the main application (and for installers and other programs
// the updater starts), as the Linux fake main does: records its parameters
// and working folder in "<own path>.calls", one line a start, fields
// separated by 0x1F. Then:
//   "<own path>.start"    starts the programs named there (children of ours);
//   "<own path>.hold"     writes its process id to "<own path>.pid" and stays
//                         running until it is ended, holding every file named
//                         there (one a line, its own path allowed) open
//                         without sharing; "<own path>.holding" says when;
//   "<own path>.exitcode" exits with the number written there.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/CommandLine.h"
#include "platform/Text.h"

namespace {

std::string OwnPath() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return platform::WideToUtf8(path);
}

std::string WorkingFolder() {
  std::wstring path(32768, L'\0');
  path.resize(GetCurrentDirectoryW(static_cast<DWORD>(path.size()), path.data()));
  return platform::WideToUtf8(path);
}

std::filesystem::path Native(const std::string& path) {
  return platform::Utf8ToWide(path);
}

// The whole file, or nothing when it does not exist.
bool Read(const std::string& path, std::string* content) {
  std::ifstream in(Native(path), std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  *content = text.str();
  return true;
}

void Append(const std::string& path, const std::string& line) {
  std::ofstream(Native(path), std::ios::binary | std::ios::app) << line << '\n';
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

}  // namespace

int wmain() {
  const std::string me = OwnPath();
  // Parameters by the rules the updater writes them by; 0 is our own path.
  std::vector<std::string> args =
      platform::SplitCommandLine(platform::WideToUtf8(GetCommandLineW()));
  std::string line = WorkingFolder();
  for (size_t i = 1; i < args.size(); ++i) line += '\x1f' + args[i];
  Append(me + ".calls", line);

  std::string text;
  if (Read(me + ".start", &text)) {
    for (const std::string& program : Lines(text)) {
      std::wstring commandLine = L"\"" + platform::Utf8ToWide(program) + L"\"";
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION started{};
      if (!CreateProcessW(platform::Utf8ToWide(program).c_str(), commandLine.data(), nullptr,
                          nullptr, FALSE, 0, nullptr, nullptr, &startup, &started))
        return 4;
      CloseHandle(started.hThread);
      CloseHandle(started.hProcess);
    }
  }
  if (Read(me + ".hold", &text)) {
    std::ofstream(Native(me + ".pid"), std::ios::binary) << GetCurrentProcessId();
    std::vector<HANDLE> held;
    for (const std::string& path : Lines(text)) {
      const HANDLE file = CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) return 5;
      held.push_back(file);
    }
    // Tells the test that every file is held.
    std::ofstream(Native(me + ".holding"), std::ios::binary) << held.size();
    while (true) Sleep(INFINITE);
  }
  if (Read(me + ".exitcode", &text)) return std::stoi(text);
  return 0;
}
