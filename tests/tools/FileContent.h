#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace testing_tools {

// A file's bytes by its UTF-8 path; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// Writes `content` as the whole file, making its folders; throws when it
// cannot.
void WriteFile(const std::string& path, const std::string& content);

// Bytes that no compressor can squeeze, different for every seed.
std::string Noise(size_t size, uint64_t seed);

}  // namespace testing_tools
