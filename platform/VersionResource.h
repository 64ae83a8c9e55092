#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A version-information block (VS_VERSIONINFO) as Windows keeps it in an
// executable's resources: a tree of nodes, each a key with an optional value.
class VersionInfoBlock {
 public:
  // The block in a PE image's resources (RT_VERSION). Empty on failure.
  static std::optional<VersionInfoBlock> FromPeImage(const std::vector<uint8_t>& image);
  static std::optional<VersionInfoBlock> FromBytes(std::vector<uint8_t> bytes);

  // "\VarFileInfo\Translation": language id in the low, code page in the high
  // half of each entry.
  std::vector<uint32_t> Translations() const;

  // A value under "\StringFileInfo\<table>\<name>"; keys match without regard
  // to letter case.
  std::optional<std::u16string> StringValue(const std::u16string& table,
                                            const std::u16string& name) const;

  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  explicit VersionInfoBlock(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  std::vector<uint8_t> bytes_;
};

}  // namespace platform
