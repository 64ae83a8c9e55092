#include "platform/Temporaries.h"

#include <atomic>
#include <vector>

#include "platform/FolderHandle.h"
#include "platform/ProcessExists.h"

namespace platform {

namespace {

std::atomic<unsigned> temporaryCounter{0};

bool AllDigits(const std::string& text, size_t from, size_t to) {
  if (from >= to) return false;
  for (size_t i = from; i < to; ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  return true;
}

}  // namespace

std::string TemporaryName(const std::string& target) {
  // Cut so that the name stays within the file system's limit.
  return ".~" + target.substr(0, 200) + "." + std::to_string(CurrentProcessId()) + "." +
         std::to_string(temporaryCounter++);
}

uint32_t TemporaryOwner(const std::string& name) {
  if (name.rfind(".~", 0) != 0) return 0;
  const size_t counterDot = name.rfind('.');
  if (counterDot == std::string::npos || counterDot < 3) return 0;
  const size_t pidDot = name.rfind('.', counterDot - 1);
  if (pidDot == std::string::npos || pidDot < 2 || counterDot - pidDot - 1 > 9) return 0;
  if (!AllDigits(name, pidDot + 1, counterDot) || !AllDigits(name, counterDot + 1, name.size()))
    return 0;
  return static_cast<uint32_t>(std::stoul(name.substr(pidDot + 1, counterDot - pidDot - 1)));
}

void RemoveTemporaries(const FolderHandle& dir, const std::function<bool(uint32_t owner)>& remove) {
  std::vector<std::string> names;
  if (!dir.List(&names)) return;
  for (const std::string& name : names) {
    const uint32_t owner = TemporaryOwner(name);
    if (owner != 0 && remove(owner)) dir.RemoveFile(name);
  }
}

void SweepStaleTemporaries(const FolderHandle& dir) {
  const uint32_t self = CurrentProcessId();
  // A process that still exists, even one we may not signal, keeps its file.
  RemoveTemporaries(dir, [self](uint32_t owner) { return owner != self && !ProcessExists(owner); });
}

void SweepStaleTemporaries(const std::string& folder) {
  FolderHandle dir;
  // A folder that cannot be opened cannot be written in either.
  if (FolderHandle::Open(folder, &dir)) SweepStaleTemporaries(dir);
}

}  // namespace platform
