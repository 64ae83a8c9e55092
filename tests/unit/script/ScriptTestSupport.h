#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>

#include "platform/Files.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/Utf8Path.h"

namespace script_test {

// The user's locale that command words are upper-cased by, for one scope
// ("en_US", "tr_TR", "ko_KR"): on Linux the locale variables, all three so
// that the host's settings cannot leak in; on Windows the thread locale.
class ScopedUserLocale {
 public:
  explicit ScopedUserLocale(const std::string& name);
  ~ScopedUserLocale();
  ScopedUserLocale(const ScopedUserLocale&) = delete;
  ScopedUserLocale& operator=(const ScopedUserLocale&) = delete;

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::string& path) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(testing_tools::U8Path(path));
  }
  ~ScopedCurrentDir() { std::filesystem::current_path(old_); }
  ScopedCurrentDir(const ScopedCurrentDir&) = delete;
  ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

 private:
  std::filesystem::path old_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(testing_tools::U8Path(path), std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

inline std::string ReadFile(const std::string& path) {
  return ReadFile(testing_tools::U8Path(path));
}

// Every entry below `folder` by relative path, '/' between its components: a
// file's content, "<dir>" for a folder, "-> target" for a symbolic link,
// "<other>" for anything else.
inline std::map<std::string, std::string> Snapshot(const std::string& folder) {
  namespace fs = std::filesystem;
  const fs::path root = testing_tools::U8Path(folder);
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = testing_tools::U8Generic(entry.path().lexically_relative(root));
    if (entry.is_symlink())
      entries[name] = "-> " + testing_tools::U8String(fs::read_symlink(entry.path()));
    else if (entry.is_directory())
      entries[name] = "<dir>";
    else if (entry.is_regular_file())
      entries[name] = ReadFile(entry.path());
    else
      entries[name] = "<other>";
  }
  return entries;
}

inline std::string CopyFakeMain(const std::string& path) {
  std::filesystem::copy_file(testing_tools::U8Path(testing_tools::FakeMainPath()),
                             testing_tools::U8Path(path));
  return path;
}

// The folder the script starts programs in: ours, without its trailing
// separator.
inline std::string ProgramFolderAsCwd() {
  std::string folder = platform::ProgramFolder();
  folder.pop_back();
  return folder;
}

// Replaces every "{d}" in `text` by `folder`.
inline std::string InFolder(std::string text, const std::string& folder) {
  for (size_t at = text.find("{d}"); at != std::string::npos; at = text.find("{d}", at))
    text.replace(at, 3, folder);
  return text;
}

}  // namespace script_test
