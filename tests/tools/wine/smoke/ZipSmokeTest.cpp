// GoogleTest under wine64, over the cache's static libzip and zlib: a zip made
// by the Linux zip command from fixtures/tree reads back as that tree.
#include <gtest/gtest.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kFixtures = "fixtures";

struct ZipCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct EntryCloser {
  void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ReadEntry(zip_t* archive, zip_uint64_t index) {
  std::unique_ptr<zip_file_t, EntryCloser> entry(zip_fopen_index(archive, index, 0));
  if (!entry) return "<cannot open>";
  std::string data;
  char buffer[4096];
  zip_int64_t n;
  while ((n = zip_fread(entry.get(), buffer, sizeof buffer)) > 0) data.append(buffer, n);
  return n < 0 ? "<read error>" : data;
}

// Zip names are UTF-8 with forward slashes; a folder's ends in one.
std::string ZipName(const fs::path& relative, bool folder) {
  const std::u8string utf8 = relative.generic_u8string();
  const std::string name(utf8.begin(), utf8.end());
  return folder ? name + '/' : name;
}

TEST(WineSmoke, LibzipReadsAZipMadeOnLinux) {
  int error = 0;
  std::unique_ptr<zip_t, ZipCloser> archive(
      zip_open((kFixtures / "sample.zip").string().c_str(), ZIP_RDONLY, &error));
  ASSERT_TRUE(archive) << "zip_open error " << error;

  const fs::path tree = kFixtures / "tree";
  size_t entries = 0;
  for (const auto& onDisk : fs::recursive_directory_iterator(tree)) {
    const std::string name = ZipName(onDisk.path().lexically_relative(tree), onDisk.is_directory());
    SCOPED_TRACE(name);
    const zip_int64_t index = zip_name_locate(archive.get(), name.c_str(), 0);
    ASSERT_GE(index, 0) << "not in the zip";
    ++entries;
    if (!onDisk.is_directory()) {
      EXPECT_EQ(ReadEntry(archive.get(), index), ReadFile(onDisk.path()));
    }
  }
  EXPECT_EQ(static_cast<zip_int64_t>(entries), zip_get_num_entries(archive.get(), 0));
}

}  // namespace
