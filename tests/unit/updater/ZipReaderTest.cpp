#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "platform/UpdateJournal.h"
#include "tests/tools/ScopedUmask.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/faults/FolderState.h"
#include "tests/unit/platform/WriterTesting.h"
#include "updater/ZipReader.h"

namespace {

namespace fs = std::filesystem;
using testing_tools::TempDir;
using writer_testing::Kept;
using writer_testing::ModeOf;
using writer_testing::Native;
using writer_testing::Read;
using writer_testing::SetMode;
using writer_testing::Write;

struct ZipEntry {
  std::string name;
  std::string content;
  std::optional<uint32_t> unixMode = std::nullopt;  // with the file-type bits
  bool store = false;
  int64_t mtime = 0;
};

// Builds a zip file with libzip; names ending in '/' become folders.
void MakeZip(const std::string& path, const std::vector<ZipEntry>& entries) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(archive, nullptr);
  for (const auto& e : entries) {
    zip_int64_t index;
    if (!e.name.empty() && e.name.back() == '/') {
      index = zip_dir_add(archive, e.name.c_str(), ZIP_FL_ENC_UTF_8);
    } else {
      zip_source_t* source = zip_source_buffer(archive, e.content.data(), e.content.size(), 0);
      index = zip_file_add(archive, e.name.c_str(), source, ZIP_FL_ENC_UTF_8);
      if (e.store) zip_set_file_compression(archive, index, ZIP_CM_STORE, 0);
    }
    ASSERT_GE(index, 0) << e.name;
    // Without a mode the entry looks as if made on Windows (libzip would store 0666).
    if (e.unixMode)
      zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_UNIX, *e.unixMode << 16);
    else
      zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_DOS, 0x20);
    if (e.mtime) zip_file_set_mtime(archive, index, e.mtime, 0);
  }
  ASSERT_EQ(zip_close(archive), 0);
}

std::vector<std::string> Listing(const std::string& root) {
  std::vector<std::string> names;
  for (auto& e : fs::recursive_directory_iterator(Native(root))) {
    const std::u8string name = e.path().lexically_relative(Native(root)).generic_u8string();
    names.emplace_back(name.begin(), name.end());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool IsEmpty(const std::string& folder) {
  return fs::is_empty(Native(folder));
}

void Extract(const std::string& zipPath, const std::string& base,
             const TZipProgressEvent& progress = {}) {
  TZipReader reader;
  reader.OnProgress = progress;
  reader.Open(zipPath);
  reader.ExtractAll(base);
}

TEST(ZipReader, ExtractsFoldersFilesPermissionsAndTimes) {
  TempDir dir;
  const std::string base = dir / "app";
  Write(base + "/data/old.txt", "old content, longer than the new one");
  Write(base + "/keep.sh", "old");
  SetMode(base + "/keep.sh", 0755);

  const std::string big(700 * 1024, 'x');
  MakeZip(dir / "p.zip",
          {{"data/", "", 040755},
           {"data/old.txt", "new", std::nullopt, false, 1'600'000'000},
           {"bin\\tool", "#!/bin/sh\n", 0104755},  // set-user-id must not survive
           {"keep.sh", "replaced", std::nullopt},  // no stored mode: keeps the old bits
           {"deep/er/big.bin", big, 0100600, true},
           {"empty.txt", "", 0100644},
           {"read-only.txt", "locked", 0100444},
           {"한글 이름.txt", "ok", std::nullopt}});

  std::vector<std::pair<std::string, int64_t>> calls;
  Extract(dir / "p.zip", base,
          [&](TZipReader*, const std::string& name, const TZipEntryHeader& header, int64_t pos) {
            calls.emplace_back(name + "/" + std::to_string(header.UncompressedSize), pos);
          });

  EXPECT_EQ(Read(base + "/data/old.txt"), "new");
  EXPECT_EQ(Read(base + "/bin/tool"), "#!/bin/sh\n");
  EXPECT_EQ(ModeOf(base + "/bin/tool"), Kept(0755));
  EXPECT_EQ(Read(base + "/keep.sh"), "replaced");
  EXPECT_EQ(ModeOf(base + "/keep.sh"), Kept(0755));
  EXPECT_TRUE(Read(base + "/deep/er/big.bin") == big);
  EXPECT_EQ(ModeOf(base + "/deep/er/big.bin"), Kept(0600));
  EXPECT_EQ(ModeOf(base + "/read-only.txt"), Kept(0444));
  EXPECT_EQ(Read(base + "/한글 이름.txt"), "ok");
  EXPECT_EQ(fs::file_size(Native(base + "/empty.txt")), 0u);
  EXPECT_EQ(writer_testing::ModifiedSeconds(base + "/data/old.txt"), 1'600'000'000);
  EXPECT_EQ(Listing(base),
            (std::vector<std::string>{"bin", "bin/tool", "data", "data/old.txt", "deep", "deep/er",
                                      "deep/er/big.bin", "empty.txt", "keep.sh", "read-only.txt",
                                      "한글 이름.txt"}));

  // Each entry ends with one report of its full size; the big one reports
  // along the way, with growing positions.
  const std::string bigKey = "deep/er/big.bin/" + std::to_string(big.size());
  std::vector<int64_t> bigPositions;
  for (const auto& [key, pos] : calls)
    if (key == bigKey) bigPositions.push_back(pos);
  ASSERT_GE(bigPositions.size(), 3u);
  EXPECT_TRUE(std::is_sorted(bigPositions.begin(), bigPositions.end()));
  EXPECT_EQ(bigPositions.back(), static_cast<int64_t>(big.size()));
  EXPECT_NE(
      std::find(calls.begin(), calls.end(), std::make_pair(std::string("empty.txt/0"), int64_t{0})),
      calls.end());
  EXPECT_NE(std::find(calls.begin(), calls.end(),
                      std::make_pair(std::string("data/old.txt/3"), int64_t{3})),
            calls.end());
}

TEST(ZipReader, EmptyBaseMeansTheCurrentFolder) {
  TempDir dir;
  MakeZip(dir / "p.zip", {{"sub/f.txt", "here"}});
  const fs::path before = fs::current_path();
  fs::current_path(Native(dir.path()));
  Extract("p.zip", "");
  fs::current_path(before);
  EXPECT_EQ(Read(dir / "sub/f.txt"), "here");
}

TEST(ZipReader, NamesThatLeaveTheBaseFolderWriteNothing) {
  const char* unsafe[] = {"../x", "/abs/x", "a/../../x", "..\\x", "a\\..\\..\\x", "ok/.."};
  for (const char* name : unsafe) {
    TempDir dir;
    fs::create_directories(Native(dir / "base"));
    MakeZip(dir / "p.zip", {{"first.txt", "1"}, {name, "evil"}});
    EXPECT_THROW(Extract(dir / "p.zip", dir / "base"), EZipError) << name;
    EXPECT_TRUE(IsEmpty(dir / "base")) << name;
    EXPECT_FALSE(fs::exists(Native(dir / "x"))) << name;
    EXPECT_FALSE(fs::exists("/abs/x")) << name;
  }
}

TEST(ZipReader, ALinkInTheBaseFolderIsNotFollowed) {
  TempDir dir;
  fs::create_directories(Native(dir / "base"));
  fs::create_directories(Native(dir / "outside"));
  if (!writer_testing::MakeLink(dir / "base/link", dir / "outside", true))
    GTEST_SKIP() << "no link to a folder can be made here (Wine 8 makes no junction)";
  MakeZip(dir / "p.zip", {{"link/x", "evil"}});
  EXPECT_THROW(Extract(dir / "p.zip", dir / "base"), EZipError);
  EXPECT_TRUE(IsEmpty(dir / "outside"));
}

// A link stored in the archive lands as a plain file holding its target's
// name, never writable by others or runnable.
TEST(ZipReader, ALinkInTheArchiveLandsAsAPlainFile) {
  testing_tools::ScopedUmask umask(022);
  TempDir dir;
  fs::create_directories(Native(dir / "base"));
  MakeZip(dir / "q.zip", {{"l", dir / "outside", 0120777}});
  Extract(dir / "q.zip", dir / "base");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Native(dir / "base/l"))));
  EXPECT_EQ(Read(dir / "base/l"), dir / "outside");
  EXPECT_EQ(ModeOf(dir / "base/l"), Kept(0644));
}

TEST(ZipReader, AFailedEntryLeavesTheOldFileWhole) {
  TempDir dir;
  const std::string base = dir / "app";
  Write(base + "/main.dat", "good old data");
  // Content that does not compress, so that the middle of the file is entry data.
  std::string content(600 * 1024, '\0');
  uint32_t state = 12345;
  for (char& c : content) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  MakeZip(dir / "p.zip", {{"main.dat", content}});

  std::string bytes = Read(dir / "p.zip");
  std::string corrupt = bytes;
  for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 16; ++i) corrupt[i] ^= 0x5A;
  Write(dir / "corrupt.zip", corrupt);
  Write(dir / "truncated.zip", bytes.substr(0, bytes.size() / 2));
  Write(dir / "garbage.zip", "not a zip at all");

  for (const char* name : {"corrupt.zip", "truncated.zip", "garbage.zip", "missing.zip"}) {
    EXPECT_THROW(Extract(dir / name, base), EZipError) << name;
    EXPECT_TRUE(Read(base + "/main.dat") == "good old data") << name;
    EXPECT_EQ(Listing(base), std::vector<std::string>{"main.dat"}) << name;
  }

  // The progress callback's own exception, while the entry is being written,
  // ends the extraction the same way.
  struct Stop {};
  EXPECT_THROW(Extract(dir / "p.zip", base,
                       [](TZipReader*, const std::string&, const TZipEntryHeader&, int64_t) {
                         throw Stop();
                       }),
               Stop);
  EXPECT_TRUE(Read(base + "/main.dat") == "good old data");
  EXPECT_EQ(Listing(base), std::vector<std::string>{"main.dat"});
}

TEST(ZipReader, ADamagedLastEntryThroughAJournalIsRolledBackExactly) {
  using testing_tools::FolderDetail;
  using testing_tools::ReadFolderState;
  testing_tools::ScopedUmask umask(022);
  TempDir dir;
  const std::string base = dir / "app";
  Write(base + "/data/old.txt", "old");
  Write(base + "/keep.sh", "old");
  SetMode(base + "/data/old.txt", 0440);
  SetMode(base + "/keep.sh", 0755);
  for (const char* path : {"/data/old.txt", "/keep.sh", "/data"})
    writer_testing::SetTimes(base + path, 1'000'000'000);
  // Stored, so that its bytes stand in the archive as they are.
  std::string last(200 * 1024, '\0');
  uint32_t state = 777;
  for (char& c : last) c = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  MakeZip(dir / "p.zip", {{"data/old.txt", "new", 0100644, false, 1'600'000'000},
                          {"newdir/", "", 040755},
                          {"newdir/x.txt", "x"},
                          {"keep.sh", "replaced"},
                          {"z/last.bin", last, 0100644, true}});
  std::string bytes = Read(dir / "p.zip");
  const size_t at = bytes.find(last.substr(100 * 1024, 64));
  ASSERT_NE(at, std::string::npos);
  bytes[at] ^= 0x5A;
  Write(dir / "p.zip", bytes);

  const auto before = ReadFolderState(base, FolderDetail::ContentsModesAndTimes);
  platform::Result result;
  auto journal = platform::UpdateJournal::Begin(base, &result);
  ASSERT_TRUE(journal) << result.text();
  TZipReader reader;
  reader.Open(dir / "p.zip");
  EXPECT_THROW(reader.ExtractAll(base, journal.get()), EZipError);
  EXPECT_EQ(Read(base + "/data/old.txt"), "new");  // what came before it was written
  EXPECT_TRUE(fs::exists(Native(base + "/newdir/x.txt")));

  ASSERT_TRUE(journal->Rollback());
  EXPECT_EQ(ReadFolderState(base, FolderDetail::ContentsModesAndTimes), before);
  EXPECT_TRUE(testing_tools::TemporaryLeftovers(dir.path()).empty());
}

TEST(ZipReader, AFolderWhereAFileShouldGoIsKept) {
  TempDir dir;
  const std::string base = dir / "app";
  fs::create_directories(Native(base + "/main.dat/inside"));
  MakeZip(dir / "p.zip", {{"main.dat", "file"}});
  EXPECT_THROW(Extract(dir / "p.zip", base), EZipError);
  EXPECT_TRUE(fs::is_directory(Native(base + "/main.dat/inside")));
  EXPECT_EQ(Listing(base), (std::vector<std::string>{"main.dat", "main.dat/inside"}));
}

}  // namespace
