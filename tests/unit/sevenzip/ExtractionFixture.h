#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ArchiveFixtures.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/TempDir.h"

namespace sevenzip_test {

// Archives packed from dir/src, and what the component reports while it
// extracts them. One class for the shared suite and each platform's, as they
// make one test suite.
class Extraction : public testing::Test {
 protected:
  void SetUp() override { RecordMessages(z, messages); }
  // Packs `names` (files or folders in dir/src) into dir/<archive>, each
  // file in a block of its own: with the installed 7z command on Linux, with
  // our own Add on Windows, which has no such command.
  void Pack(const std::string& archive, const std::vector<std::string>& names);
  void Use(const std::string& archive, const std::string& base) {
    z.SetSZFileName(dir / archive);
    z.SetExtrBaseDir(base);
  }

  testing_tools::TempDir dir;
  TSevenZip z;
  std::vector<std::string> messages;
};

}  // namespace sevenzip_test
