#pragma once

#include <string>

namespace testing_tools {

// Moves the calling thread, and every thread or process it starts afterwards,
// into a mount namespace of its own whose mounts do not reach the host, so a
// test can mount over its folders and the mounts vanish with the process.
// Call it before the process starts other threads. Returns false, with the
// reason in `why`, where the machine does not allow it.
bool EnterPrivateMountNamespace(std::string* why);

// A mount made by a test, undone when the object goes.
class ScopedMount {
 public:
  // A tmpfs of `bytes` over `folder`.
  static ScopedMount Tmpfs(const std::string& folder, size_t bytes);
  // `folder` shown read-only at the same place.
  static ScopedMount ReadOnly(const std::string& folder);
  // An empty read-only tmpfs over `folder`, hiding what it holds.
  static ScopedMount Hide(const std::string& folder);

  ScopedMount(ScopedMount&& other) noexcept;
  ScopedMount& operator=(ScopedMount&&) = delete;
  ~ScopedMount();
  // A tmpfs made by Tmpfs() takes `bytes` from now on.
  void Resize(size_t bytes);
  void Undo();

 private:
  explicit ScopedMount(std::string target) : target_(std::move(target)) {}
  std::string target_;
};

}  // namespace testing_tools
