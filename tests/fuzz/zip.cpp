// Zip extraction from bytes: the input as a package, extracted into a folder
// three levels below the scratch folder. Nothing may appear anywhere but in
// that folder, no symbolic link may appear in it, and progress never passes
// an entry's size.
#include <sys/stat.h>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTarget.h"
#include "updater/ZipReader.h"

namespace fs = std::filesystem;

namespace {

const fuzzing::ScratchFolder& Scratch() {
  static const fuzzing::ScratchFolder scratch;
  return scratch;
}

// Where each entry name would land if taken literally, for the names that
// lead outside the scratch folder; with whether something is there now.
std::map<fs::path, bool> OutsideTargets(const fs::path& package, const fs::path& base) {
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
    const fs::path inside = target.lexically_relative(Scratch().path());
    if (inside.empty() || *inside.begin() == "..") {
      struct stat st;
      targets[target] = ::lstat(target.c_str(), &st) == 0;
    }
  }
  zip_discard(archive);
  return targets;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path root = Scratch().path();
  const fs::path level = root / "a" / "b";
  const fs::path package = level / "package.zip";
  const fs::path base = level / "out";
  fuzzing::ClearFolder(root);
  fs::create_directories(base);
  std::ofstream(package, std::ios::binary).write(reinterpret_cast<const char*>(data), size);
  const std::map<fs::path, bool> outside = OutsideTargets(package, base);

  TZipReader reader;
  reader.OnProgress = [](TZipReader*, const std::string& name, const TZipEntryHeader& header,
                         int64_t position) {
    if (position < 0 || position > header.UncompressedSize)
      fuzzing::Fail("progress " + std::to_string(position) + " of " +
                    std::to_string(header.UncompressedSize) + " in " + name);
  };
  try {
    reader.Open(package.string());
    reader.ExtractAll(base.string());
  } catch (const EZipError&) {
  }
  reader.Close();

  if (fuzzing::NamesIn(root) != std::set<std::string>{"a"} ||
      fuzzing::NamesIn(root / "a") != std::set<std::string>{"b"} ||
      fuzzing::NamesIn(level) != std::set<std::string>{"package.zip", "out"})
    fuzzing::Fail("something was written beside the target folder");
  for (const auto& [target, existed] : outside) {
    struct stat st;
    if (!existed && ::lstat(target.c_str(), &st) == 0)
      fuzzing::Fail("an entry landed outside: " + target.string());
  }
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(base, ec); it != fs::end(it); it.increment(ec)) {
    if (ec) break;
    if (it->is_symlink()) fuzzing::Fail("a symbolic link was extracted: " + it->path().string());
  }
  return 0;
}
