#include "tests/tools/PeMaker.h"

#include <fstream>
#include <stdexcept>

namespace testing_tools {

namespace {

constexpr uint32_t kFileAlign = 0x200;
constexpr uint32_t kSectionAlign = 0x1000;

void Put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = v >> 8;
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

}  // namespace

std::vector<uint8_t> MakePe(bool pe64, const std::optional<std::vector<uint8_t>>& versionBlock) {
  const uint16_t sections = versionBlock ? 2 : 1;
  const uint16_t optionalSize = pe64 ? 240 : 224;
  const uint32_t peOffset = 0x40;
  const uint32_t optional = peOffset + 24;
  const uint32_t table = optional + optionalSize;

  // .text at RVA 0x1000, file 0x200; .rsrc at RVA 0x2000, file 0x400.
  std::vector<uint8_t> rsrc;
  if (versionBlock) {
    rsrc.assign(16 + 8 + 16 + 8 + 16 + 8 + 16, 0);
    // Root: one id entry, type 16.
    Put16(rsrc, 14, 1);
    Put32(rsrc, 16, 16);
    Put32(rsrc, 20, 0x80000000u | 24);
    // Names: id 1.
    Put16(rsrc, 24 + 14, 1);
    Put32(rsrc, 40, 1);
    Put32(rsrc, 44, 0x80000000u | 48);
    // Languages: 1033, pointing at the data entry.
    Put16(rsrc, 48 + 14, 1);
    Put32(rsrc, 64, 1033);
    Put32(rsrc, 68, 72);
    // Data entry: RVA, size.
    const uint32_t dataOffset = 88;
    Put32(rsrc, 72, 0x2000 + dataOffset);
    Put32(rsrc, 76, static_cast<uint32_t>(versionBlock->size()));
    rsrc.insert(rsrc.end(), versionBlock->begin(), versionBlock->end());
  }
  const uint32_t rsrcRaw =
      (static_cast<uint32_t>(rsrc.size()) + kFileAlign - 1) / kFileAlign * kFileAlign;
  std::vector<uint8_t> image(0x400 + rsrcRaw, 0);

  image[0] = 'M';
  image[1] = 'Z';
  Put32(image, 0x3C, peOffset);
  Put32(image, peOffset, 0x00004550);
  Put16(image, peOffset + 4, pe64 ? 0x8664 : 0x014C);
  Put16(image, peOffset + 6, sections);
  Put16(image, peOffset + 20, optionalSize);
  Put16(image, peOffset + 22, pe64 ? 0x0022 : 0x0102);

  Put16(image, optional, pe64 ? 0x20B : 0x10B);
  Put32(image, optional + 32, kSectionAlign);
  Put32(image, optional + 36, kFileAlign);
  const uint32_t directories = optional + (pe64 ? 112 : 96);
  Put32(image, directories - 4, 16);  // NumberOfRvaAndSizes
  if (versionBlock) {
    Put32(image, directories + 16, 0x2000);
    Put32(image, directories + 20, static_cast<uint32_t>(rsrc.size()));
  }

  // What a loader checks before it maps the image (Windows' own version
  // service maps the file as one): a base, a subsystem, readable sections.
  if (pe64) {
    Put32(image, optional + 24, 0x40000000);
    Put32(image, optional + 28, 0x1);  // ImageBase 0x140000000
  } else {
    Put32(image, optional + 28, 0x400000);
  }
  Put16(image, optional + 40, 6);  // MajorOperatingSystemVersion
  Put16(image, optional + 48, 6);  // MajorSubsystemVersion
  Put16(image, optional + 68, 2);  // Subsystem: GUI

  const auto section = [&](int index, const char* name, uint32_t rva, uint32_t vsize, uint32_t raw,
                           uint32_t rawSize, uint32_t characteristics) {
    const size_t s = table + index * 40;
    for (int i = 0; name[i] && i < 8; ++i) image[s + i] = static_cast<uint8_t>(name[i]);
    Put32(image, s + 8, vsize);
    Put32(image, s + 12, rva);
    Put32(image, s + 16, rawSize);
    Put32(image, s + 20, raw);
    Put32(image, s + 36, characteristics);
  };
  section(0, ".text", 0x1000, 0x10, 0x200, kFileAlign, 0x60000020);  // code: read, execute
  image[0x200] = 0xC3;                                               // ret
  if (versionBlock) {
    section(1, ".rsrc", 0x2000, static_cast<uint32_t>(rsrc.size()), 0x400, rsrcRaw,
            0x40000040);  // initialised data: read
    std::copy(rsrc.begin(), rsrc.end(), image.begin() + 0x400);
  }
  Put32(image, optional + (pe64 ? 56 : 56), 0x2000 + kSectionAlign);  // SizeOfImage
  Put32(image, optional + 60, 0x200);                                 // SizeOfHeaders
  return image;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

}  // namespace testing_tools
