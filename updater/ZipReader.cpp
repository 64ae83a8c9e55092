#include "updater/ZipReader.h"

#include <zip.h>

#include <optional>
#include <vector>

#include "platform/ConfinedFolder.h"
#include "platform/FileAttributes.h"

namespace {

// How much is inflated between two progress reports.
constexpr size_t kChunkSize = 256 * 1024;

struct FileCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

struct Entry {
  zip_uint64_t index;
  std::string name;
  std::vector<std::string> components;
  bool isFolder;
};

std::string ArchiveError(zip_t* archive) {
  return zip_error_strerror(zip_get_error(archive));
}

// Unix permission bits stored by Unix zip tools, if any.
std::optional<uint32_t> StoredMode(zip_t* archive, zip_uint64_t index, bool* isLink) {
  *isLink = false;
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0 ||
      system != ZIP_OPSYS_UNIX)
    return std::nullopt;
  const uint32_t mode = attributes >> 16;
  if (mode == 0) return std::nullopt;
  *isLink = (mode & platform::kModeTypeMask) == platform::kModeLink;
  return mode & 0777;
}

}  // namespace

void TZipReader::ArchiveCloser::operator()(zip* archive) const {
  zip_discard(archive);
}

TZipReader::TZipReader() = default;
TZipReader::~TZipReader() = default;

void TZipReader::Open(const std::string& fileName) {
  Close();
  int error = 0;
  zip_t* archive = zip_open(fileName.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!archive) {
    zip_error_t detail;
    zip_error_init_with_code(&detail, error);
    const std::string message = zip_error_strerror(&detail);
    zip_error_fini(&detail);
    throw EZipError("cannot open \"" + fileName + "\": " + message);
  }
  archive_.reset(archive);
}

void TZipReader::Close() {
  archive_.reset();
}

void TZipReader::ExtractAll(const std::string& baseDir, platform::UpdateJournal* journal) {
  if (!archive_) throw EZipError("no archive is open");
  zip_t* archive = archive_.get();

  // Every name is checked before anything is written.
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  if (count < 0) throw EZipError(ArchiveError(archive));
  std::vector<Entry> entries;
  for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
    const char* raw = zip_get_name(archive, i, ZIP_FL_ENC_GUESS);
    if (!raw) throw EZipError(ArchiveError(archive));
    Entry entry{i, raw, {}, false};
    if (!platform::SplitEntryPath(entry.name, &entry.components))
      throw EZipError("entry \"" + entry.name + "\" would land outside the target folder");
    if (entry.components.empty()) continue;  // "./" and the like
    const char last = entry.name.back();
    entry.isFolder = last == '/' || last == '\\';
    entries.push_back(std::move(entry));
  }

  platform::Result result;
  const auto folder = platform::ConfinedFolder::Open(baseDir, &result, journal);
  if (!folder) throw EZipError(result.text());

  std::vector<char> buffer(kChunkSize);
  for (const Entry& entry : entries) {
    if (entry.isFolder) {
      bool isLink = false;
      result = folder->CreateFolders(entry.components, StoredMode(archive, entry.index, &isLink));
      if (!result) throw EZipError(result.text());
      continue;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, entry.index, 0, &stat) != 0) throw EZipError(ArchiveError(archive));
    bool isLink = false;
    std::optional<uint32_t> mode = StoredMode(archive, entry.index, &isLink);
    // A link is never made: it lands as a plain file holding its target's
    // name, which nobody may change or run.
    if (isLink) mode = *mode & 0644;

    TZipEntryHeader header;
    header.UncompressedSize = static_cast<uint32_t>(stat.size);
    std::unique_ptr<zip_file_t, FileCloser> file(zip_fopen_index(archive, entry.index, 0));
    if (!file) throw EZipError("\"" + entry.name + "\": " + ArchiveError(archive));
    auto target = folder->CreateFile(entry.components, &result);
    if (!target) throw EZipError(result.text());

    int64_t written = 0;
    while (true) {
      const zip_int64_t n = zip_fread(file.get(), buffer.data(), buffer.size());
      if (n < 0)
        throw EZipError("\"" + entry.name +
                        "\": " + zip_error_strerror(zip_file_get_error(file.get())));
      if (n == 0) break;
      result = target->Write(buffer.data(), static_cast<size_t>(n));
      if (!result) throw EZipError(result.text());
      written += n;
      if (OnProgress && written < static_cast<int64_t>(stat.size))
        OnProgress(this, entry.name, header, written);
    }
    if ((stat.valid & ZIP_STAT_SIZE) && static_cast<zip_uint64_t>(written) != stat.size)
      throw EZipError("\"" + entry.name + "\": size does not match");

    std::optional<platform::FileTime> modified;
    if (stat.valid & ZIP_STAT_MTIME) modified = platform::FileTime{stat.mtime, 0};
    result = target->Commit(mode, modified);
    if (!result) throw EZipError(result.text());
    if (OnProgress) OnProgress(this, entry.name, header, written);
  }
}
