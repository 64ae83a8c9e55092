#include "platform/FileVersion.h"

#include <cstring>
#include <fstream>

#include "platform/ByteView.h"
#include "platform/Text.h"
#include "platform/VersionResource.h"

namespace platform {

namespace {

// Files are read whole only up to this size; a version resource sits in an
// executable, never in anything larger.
constexpr uint64_t kMaxFileSize = 512ull << 20;

// Our own ELF executables carry their version block in a section of this name.
constexpr const char* kElfVersionSection = ".qvversion";

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  const std::streamoff size = in.tellg();
  if (size <= 0 || static_cast<uint64_t>(size) > kMaxFileSize) return {};
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return {};
  return bytes;
}

std::vector<uint8_t> ElfVersionBlock(const ByteView& f) {
  const bool is64 = f.data()[4] == 2;
  if (f.data()[5] != 1) return {};  // little-endian only
  const uint64_t shoff = is64 ? f.U64(0x28) : f.U32(0x20);
  const uint16_t shentsize = f.U16(is64 ? 0x3A : 0x2E);
  const uint16_t shnum = f.U16(is64 ? 0x3C : 0x30);
  const uint16_t shstrndx = f.U16(is64 ? 0x3E : 0x32);
  if (shoff == 0 || shstrndx >= shnum || shentsize < (is64 ? 64 : 40)) return {};
  const auto header = [&](uint16_t i) { return shoff + static_cast<uint64_t>(i) * shentsize; };
  const auto offsetOf = [&](uint16_t i) {
    return is64 ? f.U64(header(i) + 0x18) : f.U32(header(i) + 0x10);
  };
  const auto sizeOf = [&](uint16_t i) {
    return is64 ? f.U64(header(i) + 0x20) : f.U32(header(i) + 0x14);
  };
  if (!f.Has(header(shnum - 1), shentsize)) return {};
  const uint64_t names = offsetOf(shstrndx);
  const uint64_t namesSize = sizeOf(shstrndx);
  if (!f.Has(names, namesSize)) return {};
  const std::string wanted = kElfVersionSection;
  for (uint16_t i = 0; i < shnum; ++i) {
    const uint32_t name = f.U32(header(i));
    if (name >= namesSize || namesSize - name < wanted.size() + 1) continue;
    if (std::memcmp(f.data() + names + name, wanted.c_str(), wanted.size() + 1) == 0)
      return f.Slice(offsetOf(i), sizeOf(i));
  }
  return {};
}

std::optional<VersionInfoBlock> BlockOf(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path);
  if (bytes.size() < 0x40) return std::nullopt;
  if (std::memcmp(bytes.data(),
                  "\x7F"
                  "ELF",
                  4) == 0)
    return VersionInfoBlock::FromBytes(ElfVersionBlock(ByteView(bytes)));
  return VersionInfoBlock::FromPeImage(bytes);
}

// "\StringFileInfo\<table>\<name>", the only kind of text sub-block asked for.
bool SplitStringPath(const std::string& subBlock, std::u16string* table, std::u16string* name) {
  const std::string prefix = "\\StringFileInfo\\";
  if (subBlock.rfind(prefix, 0) != 0) return false;
  const size_t slash = subBlock.find('\\', prefix.size());
  if (slash == std::string::npos) return false;
  *table = Utf8ToUtf16(subBlock.substr(prefix.size(), slash - prefix.size()));
  *name = Utf8ToUtf16(subBlock.substr(slash + 1));
  return true;
}

}  // namespace

// Our own reader of version resources stands in for the system's: any PE
// file, and our ELF executables.
std::optional<FileVersionResource> FileVersionResource::Read(const std::string& path) {
  auto block = BlockOf(path);
  if (!block) return std::nullopt;
  return FileVersionResource(block->Bytes());
}

std::vector<uint32_t> FileVersionResource::Translations() const {
  const auto block = VersionInfoBlock::FromBytes(data_);
  return block ? block->Translations() : std::vector<uint32_t>();
}

std::optional<std::string> FileVersionResource::StringValue(const std::string& subBlock) const {
  std::u16string table, name;
  if (!SplitStringPath(subBlock, &table, &name)) return std::nullopt;
  const auto block = VersionInfoBlock::FromBytes(data_);
  if (!block) return std::nullopt;
  const auto value = block->StringValue(table, name);
  if (!value) return std::nullopt;
  return Utf16ToUtf8(*value);
}

}  // namespace platform
