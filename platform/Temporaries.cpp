#include "platform/Temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>

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

void RemoveTemporaries(int dir, const std::function<bool(uint32_t owner)>& remove) {
  const int listing = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return;
  DIR* entries = ::fdopendir(listing);
  if (!entries) {
    ::close(listing);
    return;
  }
  while (const dirent* entry = ::readdir(entries)) {
    const uint32_t owner = TemporaryOwner(entry->d_name);
    if (owner != 0 && remove(owner)) ::unlinkat(dir, entry->d_name, 0);
  }
  ::closedir(entries);
}

void SweepStaleTemporaries(int dir) {
  const uint32_t self = CurrentProcessId();
  // A process that still exists, even one we may not signal, keeps its file.
  RemoveTemporaries(dir, [self](uint32_t owner) { return owner != self && !ProcessExists(owner); });
}

}  // namespace platform
