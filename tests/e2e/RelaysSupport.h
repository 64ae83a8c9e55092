#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/Paths.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/Processes.h"
#include "tests/tools/TempDir.h"
#include "tests/tools/Utf8Path.h"

// A program folder with copies of the fake main application under plain,
// blank-holding and Korean names, and an unrelated folder to start from.
class Relays : public ::testing::Test {
 protected:
  static constexpr const char* kKoreanApp =
      "\xEC\x83\x88 \xEC\x95\xB1 (\xEB\xB2\xA0\xED\x83\x80).exe";
  static inline const std::string kSeparator{platform::kPathSeparator};
  static inline const std::string kUpdater = std::string(UPDATER_BUILD_DIR) + "/bin/Updater.exe";

  void SetUp() override {
    for (const char* name : {"App.exe", "My App.exe", kKoreanApp})
      std::filesystem::copy_file(testing_tools::U8Path(testing_tools::FakeMainPath()),
                                 testing_tools::U8Path(Path(name)));
  }

  // Runs `exe` with `args` from the unrelated folder; its exit code.
  int Run(const std::string& exe, const std::vector<std::string>& args) {
    return testing_tools::RunProgram(exe, args, elsewhere_.path());
  }

  std::string Path(const std::string& name) const { return dir_ / name; }

  static std::string Content(const std::string& path) {
    std::ifstream in(testing_tools::U8Path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  static void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(testing_tools::U8Path(path), std::ios::binary) << text;
  }

  // The program folder's entries, sorted.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(testing_tools::U8Path(dir_.path())))
      names.push_back(testing_tools::U8String(e.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
  }

  testing_tools::TempDir dir_, elsewhere_;
};
