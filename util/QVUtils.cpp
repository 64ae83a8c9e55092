#include "util/QVUtils.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "platform/FileVersion.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "platform/ProcessExists.h"

namespace {

std::string EncodeUtf8(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

std::string HexPair(uint16_t language, uint16_t codePage) {
  char buffer[9];
  std::snprintf(buffer, sizeof buffer, "%04X%04X", language, codePage);
  return buffer;
}

}  // namespace

TArrayString SplitByChar(const std::string& text, char32_t delimiter) {
  TArrayString items;
  if (text.empty()) return items;
  if (delimiter >= 0x100) return {text};
  const std::string separator = EncodeUtf8(delimiter);
  size_t position = 0;
  while (true) {
    const size_t next = text.find(separator, position);
    if (next == std::string::npos) {
      items.push_back(text.substr(position));
      break;
    }
    items.push_back(text.substr(position, next - position));
    position = next + separator.size();
    if (position >= text.size()) break;
  }
  return items;
}

std::string ItemAt(int32_t index, const TArrayString& items) {
  if (index < 0 || static_cast<size_t>(index) >= items.size()) return {};
  return items[static_cast<size_t>(index)];
}

int32_t DecimalOrZero(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  const size_t digits = (i < text.size() && (text[i] == '+' || text[i] == '-')) ? i + 1 : i;
  if (digits >= text.size() || text[digits] < '0' || text[digits] > '9') return 0;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str() + i, &end, 10);
  if (*end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX) return 0;
  return static_cast<int32_t>(value);
}

TFileVersion ReadFileVersion(const std::string& fileName) {
  std::string versionText = "0.0.0.0";
  if (const auto resource = platform::FileVersionResource::Read(fileName)) {
    uint16_t language = 1033, codePage = 0;
    for (uint32_t entry : resource->Translations()) {
      language = static_cast<uint16_t>(entry & 0xFFFF);
      codePage = static_cast<uint16_t>(entry >> 16);
      if (language == 1033) break;
    }
    versionText =
        resource->StringValue("\\StringFileInfo\\" + HexPair(language, codePage) + "\\FileVersion")
            .value_or(std::string());
  }
  for (char& c : versionText)
    if (c == '.') c = ',';
  const TArrayString parts = SplitByChar(versionText, U',');
  TFileVersion version;
  version.Major = DecimalOrZero(ItemAt(0, parts));
  version.Minor = DecimalOrZero(ItemAt(1, parts));
  version.Release = DecimalOrZero(ItemAt(2, parts));
  version.Build = DecimalOrZero(ItemAt(3, parts));
  return version;
}

int64_t FileSizeOf(const std::string& fileName) {
  int64_t size = 0;
  if (!platform::FileExists(fileName) || !platform::FileSize(fileName, &size)) return 0;
  return size;
}

uint32_t LaunchProcess(const std::string& programPath, const std::string& parameters,
                       uint16_t showWindow, uint32_t& processId) {
  processId = 0;
  // The blank is written even when there are no parameters.
  const std::string commandLine = "\"" + programPath + "\" " + parameters;
  uint32_t pid = 0;
  const int error = platform::LaunchProgram(programPath, commandLine, showWindow, &pid);
  if (error != 0) return static_cast<uint32_t>(error);
  processId = pid;
  return 0;
}

bool IsProcessRunning(uint32_t processId) {
  if (processId == 0) return true;  // the idle task; callers test for 0 themselves
  std::vector<platform::ProcessEntry> entries;
  if (!platform::SnapshotProcesses(&entries)) return false;
  for (const auto& e : entries) {
    if (e.pid != processId) continue;
    if (!e.ended) return true;
    // Ended: collect it if it is ours, so it does not linger.
    platform::ReapIfChild(processId);
    return false;
  }
  return false;
}

bool KillProcessAndChildren(uint32_t processId) {
  std::vector<platform::ProcessEntry> entries;
  if (!platform::SnapshotProcesses(&entries)) return false;
  bool result = false;
  const uint32_t self = platform::CurrentProcessId();
  for (const auto& e : entries) {
    if (e.pid != processId && e.parentPid != processId) continue;
    // The main application usually started us: ending its children must not
    // end this process in the middle of an update.
    if (e.pid == self) continue;
    const auto process = platform::ProcessTerminator::Open(e.pid);
    if (!process) throw std::runtime_error("Failed to open process");
    result = process->Terminate();
    if (!result) throw std::runtime_error("Failed to terminate process");
  }
  return result;
}
