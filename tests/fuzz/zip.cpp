// Zip extraction from bytes: the input as a package.
#include <fstream>

#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tests/fuzz/ZipExtraction.h"

namespace {

const fuzzing::ScratchFolder& Scratch() {
  static const fuzzing::ScratchFolder scratch;
  return scratch;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto package = fuzzing::PreparePackagePath(Scratch().path());
  std::ofstream(package, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
  fuzzing::ExtractAndCheck(Scratch().path());
  return 0;
}
