#include "tests/fuzz/ZipExtraction.h"

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

  CheckConfined(scratch, package.filename().string(), outside);
}

}  // namespace fuzzing
