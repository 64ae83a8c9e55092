#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ArchiveFixtures.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/TempDir.h"

namespace sevenzip_test {

// The Add suites' source tree, in a folder of its own, and what the
// component reports while adding. One class for the shared suite and each
// platform's, as they make one test suite.
class Creation : public testing::Test {
 protected:
  void SetUp() override {
    RecordMessages(z, messages);
    WriteFile(dir / Native("src/a.txt"), "alpha");
    WriteFile(dir / Native("src/B.TXT"), "capital");
    WriteFile(dir / Native("src/notes.md"), "notes");
    WriteFile(dir / Native("src/sub/c.txt"), "gamma");
    WriteFile(dir / Native("src/sub/deeper/d.txt"), "delta");
    WriteFile(dir / Native("src/sub/deeper/e.bin"), "epsilon");
  }
  // Adds `entries` into dir/<archive>; returns Add's result.
  int32_t AddAll(const std::string& archive, const std::vector<std::string>& entries) {
    z.SetSZFileName(dir / archive);
    z.Files().Clear();
    for (const std::string& e : entries) z.Files().AddString(e);
    return z.Add();
  }
  // Stored names as our own List sees them (a folder's with the platform's
  // separator at its end), sorted.
  std::vector<std::string> Names(const std::string& archive) {
    z.SetSZFileName(dir / archive);
    z.List();
    std::vector<std::string> names = z.Files().WStrings;
    std::sort(names.begin(), names.end());
    return names;
  }

  testing_tools::TempDir dir;
  TSevenZip z;
  std::vector<std::string> messages;
};

}  // namespace sevenzip_test
