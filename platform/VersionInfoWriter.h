#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace platform {

struct VersionStringTable {
  uint16_t language = 1033;
  uint16_t codePage = 1200;
  std::vector<std::pair<std::u16string, std::u16string>> strings;
};

// Builds a VS_VERSIONINFO block: a fixed part with the four numbers, the
// string tables, and the translation list (in the order given).
std::vector<uint8_t> BuildVersionInfo(const uint16_t (&fixedVersion)[4],
                                      const std::vector<VersionStringTable>& tables,
                                      const std::vector<uint32_t>& translations);

}  // namespace platform
