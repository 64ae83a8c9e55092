#include "tests/tools/faults/Mounts.h"

#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace testing_tools {

namespace {

std::string Failure(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

}  // namespace

bool EnterPrivateMountNamespace(std::string* why) {
  if (::unshare(CLONE_NEWNS) != 0) {
    *why = Failure("unshare(CLONE_NEWNS)");
    return false;
  }
  // Without this a shared root would carry our mounts back to the host.
  if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    *why = Failure("making / private");
    return false;
  }
  return true;
}

ScopedMount ScopedMount::Tmpfs(const std::string& folder, size_t bytes) {
  const std::string options = "size=" + std::to_string(bytes) + ",mode=755";
  if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0)
    throw std::runtime_error(Failure("mounting a tmpfs on " + folder));
  return ScopedMount(folder);
}

ScopedMount ScopedMount::ReadOnly(const std::string& folder) {
  if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0)
    throw std::runtime_error(Failure("binding " + folder));
  ScopedMount mount(folder);
  if (::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
    throw std::runtime_error(Failure("making " + folder + " read-only"));
  return mount;
}

ScopedMount ScopedMount::Hide(const std::string& folder) {
  if (::mount("tmpfs", folder.c_str(), "tmpfs", MS_RDONLY, "size=4k") != 0)
    throw std::runtime_error(Failure("hiding " + folder));
  return ScopedMount(folder);
}

ScopedMount::ScopedMount(ScopedMount&& other) noexcept : target_(std::move(other.target_)) {
  other.target_.clear();
}

ScopedMount::~ScopedMount() {
  Undo();
}

void ScopedMount::Resize(size_t bytes) {
  const std::string options = "size=" + std::to_string(bytes);
  if (::mount(nullptr, target_.c_str(), nullptr, MS_REMOUNT, options.c_str()) != 0)
    throw std::runtime_error(Failure("resizing the tmpfs on " + target_));
}

void ScopedMount::Undo() {
  if (target_.empty()) return;
  ::umount2(target_.c_str(), MNT_DETACH);
  target_.clear();
}

}  // namespace testing_tools
