#include "tests/fuzz/ZipExtraction.h"

#include <sys/stat.h>
#include <zip.h>

#include <map>
#include <set>
#include <string>

#include "tests/fuzz/FuzzSupport.h"
#include "updater/ZipReader.h"

namespace fs = std::filesystem;

namespace fuzzing {

namespace {

// The entry names of a package, as stored.
std::set<std::string> EntryNames(const fs::path& package) {
  std::set<std::string> names;
  zip_t* archive = zip_open(package.c_str(), ZIP_RDONLY, nullptr);
  if (!archive) return names;
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count; ++i)
    if (const char* raw = zip_get_name(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS))
      names.insert(raw);
  zip_discard(archive);
  return names;
}

}  // namespace

fs::path PreparePackagePath(const fs::path& scratch) {
  ClearFolder(scratch);
  const fs::path level = scratch / "a" / "b";
  fs::create_directories(level / "out");
  return level / "package.zip";
}

void ExtractAndCheck(const fs::path& scratch) {
  const fs::path level = scratch / "a" / "b";
  const fs::path package = level / "package.zip";
  const fs::path base = level / "out";
  const std::map<fs::path, bool> outside = OutsideTargets(EntryNames(package), base, scratch);

  TZipReader reader;
  reader.OnProgress = [](TZipReader*, const std::string& name, const TZipEntryHeader& header,
                         int64_t position) {
    if (position < 0 || position > header.UncompressedSize)
      Fail("progress " + std::to_string(position) + " of " +
           std::to_string(header.UncompressedSize) + " in " + name);
  };
  try {
    reader.Open(package.string());
    reader.ExtractAll(base.string());
  } catch (const EZipError&) {
  }
  reader.Close();

  if (NamesIn(scratch) != std::set<std::string>{"a"} ||
      NamesIn(scratch / "a") != std::set<std::string>{"b"} ||
      NamesIn(level) != std::set<std::string>{"package.zip", "out"})
    Fail("something was written beside the target folder");
  for (const auto& [target, existed] : outside) {
    struct stat st;
    if (!existed && ::lstat(target.c_str(), &st) == 0)
      Fail("an entry landed outside: " + target.string());
  }
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(base, ec); it != fs::end(it); it.increment(ec)) {
    if (ec) break;
    if (it->is_symlink()) Fail("a symbolic link was extracted: " + it->path().string());
  }
}

}  // namespace fuzzing
