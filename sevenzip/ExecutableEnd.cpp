#include "sevenzip/ExecutableEnd.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using Handle = const platform::PathFile&;

bool ReadAt(Handle handle, int64_t offset, void* data, size_t size) {
  size_t got = 0;
  return offset >= 0 && handle.ReadAt(data, size, offset, &got) && got == size;
}

template <class T>
bool ReadValue(Handle handle, int64_t offset, T& value) {
  return ReadAt(handle, offset, &value, sizeof value);  // little-endian hosts only
}

// The parts of the ELF headers that say where the file's content lies, in
// the published layouts of both classes; no system header has them on
// Windows.
constexpr unsigned kIdentSize = 16;
constexpr unsigned kClass = 4, kData = 5;
constexpr unsigned char kClass32 = 1, kClass64 = 2, kLittleEndian = 1;
constexpr uint32_t kNoBits = 8;  // SHT_NOBITS: a section without content

struct Elf64Header {
  unsigned char ident[kIdentSize];
  uint16_t type, machine;
  uint32_t version;
  uint64_t entry, phoff, shoff;
  uint32_t flags;
  uint16_t ehsize, phentsize, phnum, shentsize, shnum, shstrndx;
};
struct Elf64Segment {
  uint32_t type, flags;
  uint64_t offset, vaddr, paddr, filesz, memsz, align;
};
struct Elf64Section {
  uint32_t name, type;
  uint64_t flags, addr, offset, size;
  uint32_t link, info;
  uint64_t addralign, entsize;
};
struct Elf32Header {
  unsigned char ident[kIdentSize];
  uint16_t type, machine;
  uint32_t version, entry, phoff, shoff, flags;
  uint16_t ehsize, phentsize, phnum, shentsize, shnum, shstrndx;
};
struct Elf32Segment {
  uint32_t type, offset, vaddr, paddr, filesz, memsz, flags, align;
};
struct Elf32Section {
  uint32_t name, type, flags, addr, offset, size, link, info, addralign, entsize;
};
static_assert(sizeof(Elf64Header) == 64 && sizeof(Elf64Segment) == 56 &&
              sizeof(Elf64Section) == 64);
static_assert(sizeof(Elf32Header) == 52 && sizeof(Elf32Segment) == 32 &&
              sizeof(Elf32Section) == 40);

std::optional<int64_t> PeEnd(Handle handle) {
  uint32_t peOffset = 0, signature = 0;
  uint16_t sections = 0, optionalHeaderSize = 0;
  if (!ReadValue(handle, 60, peOffset) || !ReadValue(handle, peOffset, signature) ||
      signature != 0x00004550 || !ReadValue(handle, int64_t{peOffset} + 6, sections) ||
      !ReadValue(handle, int64_t{peOffset} + 20, optionalHeaderSize))
    return std::nullopt;
  const int64_t table = int64_t{peOffset} + 24 + optionalHeaderSize;
  int64_t end = table + 40 * int64_t{sections};
  for (uint16_t i = 0; i < sections; ++i) {
    uint32_t rawSize = 0, rawPointer = 0;
    if (!ReadValue(handle, table + 40 * i + 16, rawSize) ||
        !ReadValue(handle, table + 40 * i + 20, rawPointer))
      return std::nullopt;
    if (rawSize > 0) end = std::max(end, int64_t{rawPointer} + rawSize);
  }
  return end;
}

template <class Ehdr, class Phdr, class Shdr>
std::optional<int64_t> ElfEnd(Handle handle) {
  Ehdr header;
  if (!ReadValue(handle, 0, header)) return std::nullopt;
  int64_t end = sizeof header;
  end = std::max<int64_t>(end, header.phoff + int64_t{header.phnum} * header.phentsize);
  end = std::max<int64_t>(end, header.shoff + int64_t{header.shnum} * header.shentsize);
  for (unsigned i = 0; i < header.phnum; ++i) {
    Phdr segment;
    if (!ReadValue(handle, header.phoff + int64_t{i} * header.phentsize, segment))
      return std::nullopt;
    end = std::max<int64_t>(end, segment.offset + segment.filesz);
  }
  for (unsigned i = 0; i < header.shnum; ++i) {
    Shdr section;
    if (!ReadValue(handle, header.shoff + int64_t{i} * header.shentsize, section))
      return std::nullopt;
    if (section.type != kNoBits) end = std::max<int64_t>(end, section.offset + section.size);
  }
  return end;
}

}  // namespace

std::optional<int64_t> ExecutableEnd(const platform::PathFile& handle) {
  unsigned char ident[kIdentSize] = {};
  if (!ReadAt(handle, 0, ident, sizeof ident)) return std::nullopt;
  if (ident[0] == 'M' && ident[1] == 'Z') return PeEnd(handle);
  if (std::memcmp(ident,
                  "\x7F"
                  "ELF",
                  4) != 0 ||
      ident[kData] != kLittleEndian)
    return std::nullopt;
  if (ident[kClass] == kClass64) return ElfEnd<Elf64Header, Elf64Segment, Elf64Section>(handle);
  if (ident[kClass] == kClass32) return ElfEnd<Elf32Header, Elf32Segment, Elf32Section>(handle);
  return std::nullopt;
}
