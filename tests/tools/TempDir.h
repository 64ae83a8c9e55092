#pragma once

#include <string>

#include "platform/Paths.h"

namespace testing_tools {

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes. `path()` ends without a separator; `/`
// joins with the platform's.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const {
    return path_ + platform::kPathSeparator + name;
  }

 private:
  std::string path_;
};

}  // namespace testing_tools
