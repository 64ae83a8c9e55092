#include "platform/VersionResource.h"

#include <algorithm>

#include "platform/ByteView.h"

namespace platform {

namespace {

struct PeSection {
  uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

std::vector<uint8_t> PeVersionBlock(const ByteView& f) {
  const uint32_t pe = f.U32(0x3C);
  if (!f.Has(pe, 24) || f.U32(pe) != 0x00004550) return {};
  const uint16_t sectionCount = f.U16(pe + 6);
  const uint16_t optionalSize = f.U16(pe + 20);
  const uint64_t optional = pe + 24;
  const uint16_t magic = f.U16(optional);
  uint64_t directories;
  if (magic == 0x10B)
    directories = optional + 96;
  else if (magic == 0x20B)
    directories = optional + 112;
  else
    return {};
  const uint64_t resourceEntry = directories + 2 * 8;
  if (resourceEntry + 8 > optional + optionalSize) return {};
  const uint32_t resourceRva = f.U32(resourceEntry);
  if (resourceRva == 0) return {};

  std::vector<PeSection> sections;
  const uint64_t table = optional + optionalSize;
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const uint64_t s = table + i * 40ull;
    if (!f.Has(s, 40)) return {};
    sections.push_back({f.U32(s + 12), f.U32(s + 8), f.U32(s + 16), f.U32(s + 20)});
  }
  const auto fileOffset = [&](uint32_t rva, uint32_t length) -> std::optional<uint64_t> {
    for (const auto& s : sections) {
      const uint32_t extent = std::max(s.virtualSize, s.rawSize);
      if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
        const uint64_t within = rva - s.virtualAddress;
        if (within + length > s.rawSize) return std::nullopt;
        return s.rawOffset + within;
      }
    }
    return std::nullopt;
  };
  const auto root = fileOffset(resourceRva, 16);
  if (!root) return {};

  // Type RT_VERSION (16), then the first name, then the first language.
  const auto findEntry = [&](uint64_t dir, std::optional<uint32_t> id) -> std::optional<uint32_t> {
    if (!f.Has(dir, 16)) return std::nullopt;
    const uint32_t count = f.U16(dir + 12) + f.U16(dir + 14);
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t e = dir + 16 + i * 8ull;
      if (!f.Has(e, 8)) return std::nullopt;
      const uint32_t name = f.U32(e);
      if (!id || (!(name & 0x80000000u) && name == *id)) return f.U32(e + 4);
    }
    return std::nullopt;
  };
  const auto subdirectory = [&](std::optional<uint32_t> entry) -> std::optional<uint64_t> {
    if (!entry || !(*entry & 0x80000000u)) return std::nullopt;
    return *root + (*entry & 0x7FFFFFFFu);
  };
  const auto names = subdirectory(findEntry(*root, 16u));
  if (!names) return {};
  const auto languages = subdirectory(findEntry(*names, std::nullopt));
  if (!languages) return {};
  const auto dataEntry = findEntry(*languages, std::nullopt);
  if (!dataEntry || (*dataEntry & 0x80000000u)) return {};
  const uint64_t data = *root + *dataEntry;
  if (!f.Has(data, 16)) return {};
  const uint32_t size = f.U32(data + 4);
  const auto offset = fileOffset(f.U32(data), size);
  if (!offset) return {};
  return f.Slice(*offset, size);
}

// One node of the block: wLength, wValueLength, wType, key, value, children.
struct Node {
  uint64_t start = 0, end = 0;
  std::u16string key;
  uint64_t value = 0, valueBytes = 0;
  uint64_t children = 0;
};

std::optional<Node> ReadNode(const ByteView& b, uint64_t start, uint64_t limit) {
  if (start + 6 > limit || !b.Has(start, 6)) return std::nullopt;
  Node n;
  n.start = start;
  const uint16_t length = b.U16(start);
  if (length < 6 || start + length > limit) return std::nullopt;
  n.end = start + length;
  const uint16_t valueLength = b.U16(start + 2);
  const uint16_t type = b.U16(start + 4);
  uint64_t p = start + 6;
  while (true) {
    if (p + 2 > n.end) return std::nullopt;
    const char16_t c = b.U16(p);
    p += 2;
    if (c == 0) break;
    n.key += c;
  }
  p = (p + 3) & ~3ull;
  n.value = p;
  n.valueBytes = type == 1 ? valueLength * 2ull : valueLength;
  if (n.value + n.valueBytes > n.end) n.valueBytes = n.end > n.value ? n.end - n.value : 0;
  n.children = (n.value + n.valueBytes + 3) & ~3ull;
  return n;
}

char16_t Fold(char16_t c) {
  return (c >= u'a' && c <= u'z') ? c - u'a' + u'A' : c;
}

bool SameKey(const std::u16string& a, const std::u16string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

std::optional<Node> Child(const ByteView& b, const Node& parent, const std::u16string& key) {
  uint64_t p = parent.children;
  while (p + 6 <= parent.end) {
    const auto n = ReadNode(b, p, parent.end);
    if (!n) return std::nullopt;
    if (SameKey(n->key, key)) return n;
    p = (n->end + 3) & ~3ull;
  }
  return std::nullopt;
}

}  // namespace

std::optional<VersionInfoBlock> VersionInfoBlock::FromPeImage(const std::vector<uint8_t>& image) {
  if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') return std::nullopt;
  return FromBytes(PeVersionBlock(ByteView(image)));
}

std::optional<VersionInfoBlock> VersionInfoBlock::FromBytes(std::vector<uint8_t> bytes) {
  const ByteView b(bytes);
  if (!ReadNode(b, 0, bytes.size())) return std::nullopt;
  return VersionInfoBlock(std::move(bytes));
}

std::vector<uint32_t> VersionInfoBlock::Translations() const {
  const ByteView b(bytes_);
  const auto root = ReadNode(b, 0, bytes_.size());
  if (!root) return {};
  const auto var = Child(b, *root, u"VarFileInfo");
  if (!var) return {};
  const auto translation = Child(b, *var, u"Translation");
  if (!translation) return {};
  std::vector<uint32_t> out;
  for (uint64_t i = 0; i + 4 <= translation->valueBytes; i += 4)
    out.push_back(b.U32(translation->value + i));
  return out;
}

std::optional<std::u16string> VersionInfoBlock::StringValue(const std::u16string& table,
                                                            const std::u16string& name) const {
  const ByteView b(bytes_);
  const auto root = ReadNode(b, 0, bytes_.size());
  if (!root) return std::nullopt;
  const auto info = Child(b, *root, u"StringFileInfo");
  if (!info) return std::nullopt;
  const auto strings = Child(b, *info, table);
  if (!strings) return std::nullopt;
  const auto value = Child(b, *strings, name);
  if (!value) return std::nullopt;
  std::u16string text;
  for (uint64_t i = 0; i + 2 <= value->valueBytes; i += 2) {
    const char16_t c = b.U16(value->value + i);
    if (c == 0) break;
    text += c;
  }
  return text;
}

}  // namespace platform
