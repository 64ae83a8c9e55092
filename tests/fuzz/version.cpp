// The version reader: the input as a whole file (PE, our ELF, or neither) and
// as a version block on its own.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/VersionResource.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTarget.h"
#include "util/QVUtils.h"

namespace {

const fuzzing::ScratchFolder& Scratch() {
  static const fuzzing::ScratchFolder scratch;
  return scratch;
}

std::u16string TableName(uint32_t translation) {
  char text[9];
  std::snprintf(text, sizeof text, "%04X%04X", translation & 0xFFFF, translation >> 16);
  return std::u16string(text, text + 8);
}

void ReadBlock(std::vector<uint8_t> bytes) {
  const auto block = platform::VersionInfoBlock::FromBytes(std::move(bytes));
  if (!block) return;
  const std::vector<uint32_t> translations = block->Translations();
  for (uint32_t translation : translations)
    block->StringValue(TableName(translation), u"FileVersion");
  block->StringValue(u"040904B0", u"fileversion");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string file = (Scratch().path() / "app.exe").string();
  if (FILE* out = std::fopen(file.c_str(), "wb")) {
    const bool written = std::fwrite(data, 1, size, out) == size;
    if (std::fclose(out) != 0 || !written) fuzzing::Fail("cannot write " + file);
  } else {
    fuzzing::Fail("cannot create " + file);
  }
  ReadFileVersion(file);
  ReadBlock(std::vector<uint8_t>(data, data + size));
  return 0;
}
