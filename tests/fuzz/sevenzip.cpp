// 7z archives from bytes: the input as an archive file, listed, tested and
// extracted by TSevenZip through its own streams. Nothing may land anywhere
// but in the base folder, and no link may be made there.
#include <exception>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "sevenzip/SevenZip.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTarget.h"

namespace fs = std::filesystem;

namespace {

const fuzzing::ScratchFolder& Scratch() {
  static const fuzzing::ScratchFolder scratch;
  return scratch;
}

// A fresh component for every pass, so that no state carries over; the one
// kept alive here keeps the codec loaded between them.
std::unique_ptr<TSevenZip> NewArchive(const fs::path& package, const fs::path& base) {
  static const TSevenZip keepCodecLoaded;
  auto archive = std::make_unique<TSevenZip>();
  archive->SetSZFileName(package.string());
  archive->SetExtrBaseDir(base.string() + "/");
  archive->SetExtractOptions(ExtractOverwrite);
  return archive;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fs::path scratch = Scratch().path();
  fuzzing::ClearFolder(scratch);
  const fs::path level = scratch / "a" / "b";
  const fs::path package = level / "package.7z";
  const fs::path base = level / "out";
  fs::create_directories(base);
  std::ofstream(package, std::ios::binary).write(reinterpret_cast<const char*>(data), size);

  std::set<std::string> names;
  try {
    auto lister = NewArchive(package, base);
    lister->OnListfile = [&](TSevenZip*, const std::string& name, int64_t, int64_t, int64_t,
                             int64_t, int64_t, const std::string&, double) { names.insert(name); };
    lister->List();
  } catch (const std::exception& e) {
    fuzzing::Fail(std::string("List threw: ") + e.what());
  }
  const std::map<fs::path, bool> outside = fuzzing::OutsideTargets(names, base, scratch);

  try {
    NewArchive(package, base)->Extract(true);
    NewArchive(package, base)->Extract(false);
  } catch (const std::exception& e) {
    fuzzing::Fail(std::string("Extract threw: ") + e.what());
  }

  fuzzing::CheckConfined(scratch, package.filename().string(), outside);
  return 0;
}
