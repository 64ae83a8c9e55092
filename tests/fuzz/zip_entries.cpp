// Zip extraction of well-formed packages made from the input, so that the
// fuzzer works on entry names, kinds and permission bits rather than on
// getting the container right. The input is records separated by NUL bytes;
// a record is one byte choosing the kind and the method, the entry name up to
// the first line feed, then the content.
#include <sys/stat.h>
#include <zip.h>

#include <deque>
#include <filesystem>
#include <string>
#include <string_view>

#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTarget.h"
#include "tests/fuzz/ZipExtraction.h"

namespace {

const fuzzing::ScratchFolder& Scratch() {
  static const fuzzing::ScratchFolder scratch;
  return scratch;
}

// The kinds a record's first byte chooses: Unix mode bits stored with the
// entry (0: none, as zip tools on Windows write) or a folder entry.
constexpr uint32_t kModes[] = {
    0, S_IFREG | 0644, S_IFREG | 0755, S_IFLNK | 0777, S_IFREG | 06755, S_IFDIR | 0755};
constexpr size_t kKinds = sizeof kModes / sizeof kModes[0];
constexpr size_t kMaxEntries = 64;

void AddEntry(zip_t* archive, std::string_view record, std::deque<std::string>* contents) {
  if (record.empty()) return;
  const uint8_t choice = static_cast<uint8_t>(record[0]);
  record.remove_prefix(1);
  const size_t newline = record.find('\n');
  const std::string name(record.substr(0, newline));
  contents->emplace_back(newline == std::string_view::npos ? std::string_view()
                                                           : record.substr(newline + 1));
  const uint32_t mode = kModes[choice % kKinds];

  zip_int64_t index;
  if (S_ISDIR(mode)) {
    index = zip_dir_add(archive, name.c_str(), ZIP_FL_ENC_UTF_8);
  } else {
    zip_source_t* source =
        zip_source_buffer(archive, contents->back().data(), contents->back().size(), 0);
    if (!source) return;
    index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      return;
    }
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                             (choice / kKinds) % 2 ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0);
  }
  if (index >= 0 && mode != 0)
    zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                     mode << 16);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto package = fuzzing::PreparePackagePath(Scratch().path());
  zip_t* archive = zip_open(package.c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
  if (!archive) fuzzing::Fail("cannot create " + package.string());
  std::deque<std::string> contents;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  for (size_t entries = 0; !input.empty() && entries < kMaxEntries; ++entries) {
    const size_t end = input.find('\0');
    AddEntry(archive, input.substr(0, end), &contents);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
  }
  if (zip_close(archive) != 0) {
    zip_discard(archive);
    return -1;
  }
  // libzip writes no file for an archive without entries.
  if (!std::filesystem::exists(package)) return -1;
  fuzzing::ExtractAndCheck(Scratch().path());
  return 0;
}
