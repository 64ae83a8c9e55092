#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ConfinedFolder.h"

namespace writer_testing {

inline std::unique_ptr<platform::ConfinedFolder> Open(const std::string& base) {
  platform::Result result;
  auto folder = platform::ConfinedFolder::Open(base, &result);
  EXPECT_TRUE(folder) << result.text();
  return folder;
}

inline platform::Result WriteThrough(platform::ConfinedFolder& folder,
                                     const std::vector<std::string>& path,
                                     const std::string& content,
                                     std::optional<uint32_t> mode = std::nullopt) {
  platform::Result result;
  auto file = folder.CreateFile(path, &result);
  if (!file) return result;
  result = file->Write(content.data(), content.size());
  return result ? file->Commit(mode, std::nullopt) : result;
}

struct Split {
  std::string name;
  std::vector<std::string> components;
};

inline void ExpectSplits(const std::vector<Split>& cases) {
  for (const Split& c : cases) {
    std::vector<std::string> components;
    EXPECT_TRUE(platform::SplitEntryPath(c.name, &components)) << c.name;
    EXPECT_EQ(components, c.components) << c.name;
  }
}

inline void ExpectRefused(const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    std::vector<std::string> components;
    EXPECT_FALSE(platform::SplitEntryPath(name, &components)) << name;
  }
}

}  // namespace writer_testing
