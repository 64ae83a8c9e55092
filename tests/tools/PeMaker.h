#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_tools {

// A minimal PE image (PE32 or PE32+) with a .text section and, when a
// version block is given, a .rsrc section holding it as RT_VERSION #1.
std::vector<uint8_t> MakePe(bool pe64, const std::optional<std::vector<uint8_t>>& versionBlock);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace testing_tools
