#include "ArchiveFixtures.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

#include "platform/Paths.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/Utf8Path.h"

namespace sevenzip_test {

using testing_tools::U8Generic;
using testing_tools::U8Path;

std::string Noise(size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string text(size, '\0');
  for (char& c : text) c = static_cast<char>(random());
  return text;
}

void WriteFile(const std::string& path, const std::string& content) {
  std::filesystem::create_directories(U8Path(path).parent_path());
  std::ofstream(U8Path(path), std::ios::binary) << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(U8Path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::symlink_status(U8Path(path), ec).type() !=
         std::filesystem::file_type::not_found;
}

int64_t MTimeSeconds(const std::string& path) {
  std::error_code ec;
  const auto time = std::filesystem::last_write_time(U8Path(path), ec);
  if (ec) return 0;
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::file_clock::to_sys(time).time_since_epoch())
      .count();
}

void SetMTime(const std::string& path, int64_t seconds) {
  const std::chrono::sys_seconds time{std::chrono::seconds(seconds)};
  std::error_code ec;
  std::filesystem::last_write_time(U8Path(path), std::chrono::file_clock::from_sys(time), ec);
}

void FlipByte(const std::string& path, int64_t offset) {
  std::string data = ReadFile(path);
  const size_t at = offset < 0 ? data.size() + offset : static_cast<size_t>(offset);
  data.at(at) = static_cast<char>(data.at(at) ^ 0xFF);
  std::ofstream(U8Path(path), std::ios::binary) << data;
}

void Truncate(const std::string& path, int64_t size) {
  std::error_code ec;
  std::filesystem::resize_file(U8Path(path), static_cast<uintmax_t>(size), ec);
}

int64_t SizeOf(const std::string& path) {
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(U8Path(path), ec);
  return ec ? -1 : static_cast<int64_t>(size);
}

std::vector<std::string> Tree(const std::string& dir) {
  std::vector<std::string> entries;
  for (const auto& e : std::filesystem::recursive_directory_iterator(U8Path(dir))) {
    std::string rel = U8Generic(e.path().lexically_relative(U8Path(dir)));
    if (e.is_directory() && !e.is_symlink()) rel += '/';
    entries.push_back(rel);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

std::string Native(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '/', platform::kPathSeparator);
  return native;
}

std::string ConstructionError(const std::vector<std::string>& candidates) {
  try {
    TSevenZip z(candidates);
  } catch (const sevenzip::ECodecLibraryError& e) {
    return e.what();
  }
  return "(constructed)";
}

void RecordMessages(TSevenZip& z, std::vector<std::string>& messages) {
  z.OnMessage = [&messages](TSevenZip*, int32_t code, const std::string& text,
                            const std::string& file) {
    messages.push_back(std::to_string(code) + " " + text + " " + file);
  };
}

}  // namespace sevenzip_test
