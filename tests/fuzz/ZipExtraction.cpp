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

// Where each entry name would land if taken literally, for the names that
// lead outside the scratch folder; with whether something is there now.
std::map<fs::path, bool> OutsideTargets(const fs::path& package, const fs::path& base,
                                        const fs::path& scratch) {
  std::map<fs::path, bool> targets;
  zip_t* archive = zip_open(package.c_str(), ZIP_RDONLY, nullptr);
  if (!archive) return targets;
  const zip_int64_t count = zip_get_num_entries(archive, 0);
  for (zip_int64_t i = 0; i < count; ++i) {
    const char* raw = zip_get_name(archive, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_GUESS);
    if (!raw) continue;
    std::string name = raw;
    for (char& c : name)
      if (c == '\\') c = '/';
    const fs::path target = (base / name).lexically_normal();
    const fs::path inside = target.lexically_relative(scratch);
    if (inside.empty() || *inside.begin() == "..") {
      struct stat st;
      targets[target] = ::lstat(target.c_str(), &st) == 0;
    }
  }
  zip_discard(archive);
  return targets;
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
  const std::map<fs::path, bool> outside = OutsideTargets(package, base, scratch);

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
