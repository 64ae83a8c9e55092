#include "WinFixtures.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>

#include "ArchiveFixtures.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "tests/tools/Utf8Path.h"

namespace sevenzip_test {

std::string Fixture(const std::string& name) {
  return Native(std::string(SEVENZIP_FIXTURES) + "/" + name);
}

std::string ProgramFolder() {
  return platform::ProgramFolder();
}

uint32_t Attributes(const std::string& path) {
  return GetFileAttributesW(platform::Utf8ToWide(path).c_str());
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
  return SetFileAttributesW(platform::Utf8ToWide(path).c_str(), attributes) != 0;
}

namespace {

class THandleHolder final : public THeldFile {
 public:
  explicit THandleHolder(HANDLE handle) : FHandle(handle) {}
  ~THandleHolder() override { CloseHandle(FHandle); }

 private:
  HANDLE FHandle;
};

}  // namespace

std::unique_ptr<THeldFile> HoldWithoutSharing(const std::string& path) {
  const HANDLE handle =
      CreateFileW(platform::Utf8ToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<THandleHolder>(handle);
}

void MakeTree(const std::string& root) {
  WriteFile(root + "\\a.txt", "alpha\n");
  WriteFile(root + "\\sub\\numbers.bin", Noise(300000, 1));
  WriteFile(root + "\\sub\\empty.txt", "");
  WriteFile(root + "\\sub\\deeper\\한글 이름.txt", "한글\n");
  std::filesystem::create_directories(testing_tools::U8Path(root + "\\empty"));
  SetMTime(root + "\\a.txt", kOldTime);
}

std::map<std::string, std::string> Contents(const std::string& root) {
  std::map<std::string, std::string> contents;
  for (const std::string& entry : Tree(root))
    contents[entry] = entry.back() == '/' ? "" : ReadFile(root + "\\" + Native(entry));
  return contents;
}

int32_t AddTree(TSevenZip& z, const std::string& archive, const std::string& src) {
  z.SetSZFileName(archive);
  z.Files().Clear();
  z.Files().AddString(src + "\\*.*");
  z.SetAddRootDir(src);
  z.SetAddOptions(z.AddOptions() | AddRecurseDirs);
  return z.Add();
}

int32_t ExtractAll(TSevenZip& z, const std::string& archive, const std::string& out,
                   ExtractOpts options) {
  z.SetSZFileName(archive);
  z.Files().Clear();  // what an Add or a List left is no selection
  z.SetExtrBaseDir(out);
  z.SetExtractOptions(options);
  return z.Extract(false);
}

}  // namespace sevenzip_test
