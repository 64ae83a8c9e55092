#include "sevenzip/ExecutableEnd.h"

#include <elf.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

bool ReadAt(int handle, int64_t offset, void* data, size_t size) {
  return offset >= 0 && pread(handle, data, size, offset) == static_cast<ssize_t>(size);
}

template <class T>
bool ReadValue(int handle, int64_t offset, T& value) {
  return ReadAt(handle, offset, &value, sizeof value);  // little-endian hosts only
}

std::optional<int64_t> PeEnd(int handle) {
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
std::optional<int64_t> ElfEnd(int handle) {
  Ehdr header;
  if (!ReadValue(handle, 0, header)) return std::nullopt;
  int64_t end = sizeof header;
  end = std::max<int64_t>(end, header.e_phoff + int64_t{header.e_phnum} * header.e_phentsize);
  end = std::max<int64_t>(end, header.e_shoff + int64_t{header.e_shnum} * header.e_shentsize);
  for (unsigned i = 0; i < header.e_phnum; ++i) {
    Phdr segment;
    if (!ReadValue(handle, header.e_phoff + int64_t{i} * header.e_phentsize, segment))
      return std::nullopt;
    end = std::max<int64_t>(end, segment.p_offset + segment.p_filesz);
  }
  for (unsigned i = 0; i < header.e_shnum; ++i) {
    Shdr section;
    if (!ReadValue(handle, header.e_shoff + int64_t{i} * header.e_shentsize, section))
      return std::nullopt;
    if (section.sh_type != SHT_NOBITS)
      end = std::max<int64_t>(end, section.sh_offset + section.sh_size);
  }
  return end;
}

}  // namespace

std::optional<int64_t> ExecutableEnd(int handle) {
  unsigned char ident[EI_NIDENT] = {};
  if (!ReadAt(handle, 0, ident, sizeof ident)) return std::nullopt;
  if (ident[0] == 'M' && ident[1] == 'Z') return PeEnd(handle);
  if (std::memcmp(ident, ELFMAG, SELFMAG) != 0 || ident[EI_DATA] != ELFDATA2LSB)
    return std::nullopt;
  if (ident[EI_CLASS] == ELFCLASS64) return ElfEnd<Elf64_Ehdr, Elf64_Phdr, Elf64_Shdr>(handle);
  if (ident[EI_CLASS] == ELFCLASS32) return ElfEnd<Elf32_Ehdr, Elf32_Phdr, Elf32_Shdr>(handle);
  return std::nullopt;
}
