#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// A file's version resource as the system's version service reads it
// (GetFileVersionInfoSizeW, GetFileVersionInfoW, VerQueryValueW).
class FileVersionResource {
 public:
  // Empty when the file has no version resource or it cannot be read.
  static std::optional<FileVersionResource> Read(const std::string& path);

  // The "\VarFileInfo\Translation" table: language id in the low, code page
  // in the high half of each entry. Empty when there is none.
  std::vector<uint32_t> Translations() const;

  // The text at a sub-block such as "\StringFileInfo\040904B0\FileVersion".
  std::optional<std::string> StringValue(const std::string& subBlock) const;

 private:
  explicit FileVersionResource(std::vector<uint8_t> data) : data_(std::move(data)) {}
  std::vector<uint8_t> data_;
};

}  // namespace platform
