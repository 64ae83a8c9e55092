#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/tools/TempDir.h"

class TSevenZip;

namespace sevenzip_test {

// Bytes that do not compress, the same for the same seed.
std::string Noise(size_t size, unsigned seed);

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
int64_t MTimeSeconds(const std::string& path);
void SetMTime(const std::string& path, int64_t seconds);
// Flips the byte at `offset` (negative: from the end).
void FlipByte(const std::string& path, int64_t offset);
void Truncate(const std::string& path, int64_t size);
int64_t SizeOf(const std::string& path);
// Every entry below `dir`, relative with '/' between the parts, sorted,
// folders with a trailing '/'.
std::vector<std::string> Tree(const std::string& dir);
// `path` with every '/' made the platform's separator, as the component's
// routines want it.
std::string Native(const std::string& path);
// What constructing the component with `candidates` throws, or
// "(constructed)".
std::string ConstructionError(const std::vector<std::string>& candidates);
// Keeps what `z` reports from now on in `messages`, each as
// "<code> <text> <file>".
void RecordMessages(TSevenZip& z, std::vector<std::string>& messages);

}  // namespace sevenzip_test
