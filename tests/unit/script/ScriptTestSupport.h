#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "tests/tools/FakeMain.h"

namespace script_test {

// Sets (or with nullopt removes) an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    Apply(value);
  }
  ~ScopedEnv() { Apply(old_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void Apply(const std::optional<std::string>& value) {
    if (value)
      setenv(name_.c_str(), value->c_str(), 1);
    else
      unsetenv(name_.c_str());
  }
  std::string name_;
  std::optional<std::string> old_;
};

// The locale variables all at once, so the host's settings cannot leak in.
struct ScopedLocale {
  ScopedLocale(std::optional<std::string> all, std::optional<std::string> ctype,
               std::optional<std::string> lang)
      : all_("LC_ALL", std::move(all)),
        ctype_("LC_CTYPE", std::move(ctype)),
        lang_("LANG", std::move(lang)) {}
  ScopedEnv all_, ctype_, lang_;
};

class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const std::string& path) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(path);
  }
  ~ScopedCurrentDir() { std::filesystem::current_path(old_); }
  ScopedCurrentDir(const ScopedCurrentDir&) = delete;
  ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

 private:
  std::filesystem::path old_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Every entry below `folder` by relative path: a file's content, "<dir>" for
// a folder, "-> target" for a symbolic link, "<other>" for anything else.
inline std::map<std::string, std::string> Snapshot(const std::string& folder) {
  namespace fs = std::filesystem;
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().lexically_relative(folder).string();
    if (entry.is_symlink())
      entries[name] = "-> " + fs::read_symlink(entry.path()).string();
    else if (entry.is_directory())
      entries[name] = "<dir>";
    else if (entry.is_regular_file())
      entries[name] = ReadFile(entry.path().string());
    else
      entries[name] = "<other>";
  }
  return entries;
}

inline std::string CopyFakeMain(const std::string& path) {
  std::filesystem::copy_file(testing_tools::FakeMainPath(), path);
  return path;
}

// Replaces every "{d}" in `text` by `folder`.
inline std::string InFolder(std::string text, const std::string& folder) {
  for (size_t at = text.find("{d}"); at != std::string::npos; at = text.find("{d}", at))
    text.replace(at, 3, folder);
  return text;
}

}  // namespace script_test
