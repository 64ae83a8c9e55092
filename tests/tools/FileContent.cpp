#include "tests/tools/FileContent.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tests/tools/Utf8Path.h"

namespace testing_tools {

std::string ReadFile(const std::string& path) {
  std::ifstream in(U8Path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(U8Path(path).parent_path());
  std::ofstream out(U8Path(path), std::ios::binary | std::ios::trunc);
  out << content;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string Noise(size_t size, uint64_t seed) {
  std::string bytes(size, '\0');
  uint64_t state = 0x9E3779B97F4A7C15ull ^ (seed * 0x2545F4914F6CDD1Dull);
  for (size_t i = 0; i + 8 <= size; i += 8) {
    state ^= state << 13, state ^= state >> 7, state ^= state << 17;
    std::memcpy(&bytes[i], &state, 8);
  }
  return bytes;
}

}  // namespace testing_tools
