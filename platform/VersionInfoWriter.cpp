#include "platform/VersionInfoWriter.h"

#include <cstring>

namespace platform {

namespace {

class NodeWriter {
 public:
  explicit NodeWriter(std::vector<uint8_t>* out) : out_(out) {}

  // Opens a node; returns its offset so that Close can fill in its length.
  size_t Open(const std::u16string& key, uint16_t valueLength, uint16_t type) {
    Align();
    const size_t start = out_->size();
    Put16(0);
    Put16(valueLength);
    Put16(type);
    for (char16_t c : key) Put16(c);
    Put16(0);
    Align();
    return start;
  }

  void Close(size_t start) {
    const auto length = static_cast<uint16_t>(out_->size() - start);
    (*out_)[start] = static_cast<uint8_t>(length);
    (*out_)[start + 1] = static_cast<uint8_t>(length >> 8);
  }

  void Put16(uint16_t v) {
    out_->push_back(static_cast<uint8_t>(v));
    out_->push_back(static_cast<uint8_t>(v >> 8));
  }
  void Put32(uint32_t v) {
    Put16(static_cast<uint16_t>(v));
    Put16(static_cast<uint16_t>(v >> 16));
  }
  void Align() {
    while (out_->size() % 4 != 0) out_->push_back(0);
  }

 private:
  std::vector<uint8_t>* out_;
};

std::u16string HexKey(uint16_t language, uint16_t codePage) {
  static const char digits[] = "0123456789ABCDEF";
  const uint32_t value = (static_cast<uint32_t>(language) << 16) | codePage;
  std::u16string key;
  for (int shift = 28; shift >= 0; shift -= 4)
    key += static_cast<char16_t>(digits[(value >> shift) & 0xF]);
  return key;
}

}  // namespace

std::vector<uint8_t> BuildVersionInfo(const uint16_t (&fixedVersion)[4],
                                      const std::vector<VersionStringTable>& tables,
                                      const std::vector<uint32_t>& translations) {
  std::vector<uint8_t> out;
  NodeWriter w(&out);
  const size_t root = w.Open(u"VS_VERSION_INFO", 52, 0);
  // VS_FIXEDFILEINFO
  w.Put32(0xFEEF04BD);
  w.Put32(0x00010000);
  w.Put32((static_cast<uint32_t>(fixedVersion[0]) << 16) | fixedVersion[1]);
  w.Put32((static_cast<uint32_t>(fixedVersion[2]) << 16) | fixedVersion[3]);
  w.Put32((static_cast<uint32_t>(fixedVersion[0]) << 16) | fixedVersion[1]);
  w.Put32((static_cast<uint32_t>(fixedVersion[2]) << 16) | fixedVersion[3]);
  w.Put32(0x3F);        // flags mask
  w.Put32(0);           // flags
  w.Put32(0x00040004);  // NT, 32-bit windows
  w.Put32(1);           // application
  w.Put32(0);
  w.Put32(0);
  w.Put32(0);

  if (!tables.empty()) {
    const size_t info = w.Open(u"StringFileInfo", 0, 1);
    for (const auto& table : tables) {
      const size_t node = w.Open(HexKey(table.language, table.codePage), 0, 1);
      for (const auto& [name, value] : table.strings) {
        const size_t s = w.Open(name, static_cast<uint16_t>(value.size() + 1), 1);
        for (char16_t c : value) w.Put16(c);
        w.Put16(0);
        w.Close(s);
      }
      w.Close(node);
    }
    w.Close(info);
  }
  if (!translations.empty()) {
    const size_t var = w.Open(u"VarFileInfo", 0, 1);
    const size_t tr = w.Open(u"Translation", static_cast<uint16_t>(translations.size() * 4), 0);
    for (uint32_t t : translations) w.Put32(t);
    w.Close(tr);
    w.Close(var);
  }
  w.Close(root);
  return out;
}

}  // namespace platform
