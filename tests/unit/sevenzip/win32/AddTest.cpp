#include <gtest/gtest.h>

#include <map>

#include "ArchiveFixtures.h"
#include "CreationFixture.h"
#include "WinFixtures.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/TempDir.h"

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

// Stored names and methods as our own List sees them.
std::map<std::string, std::string> Listed(const std::string& archive) {
  TSevenZip reader;
  std::map<std::string, std::string> listed;
  reader.OnListfile = [&](TSevenZip*, const std::string& name, int64_t, int64_t, int64_t,
                          int64_t attr, int64_t, const std::string& method,
                          double) { listed[name + ((attr & 0x10) ? "\\" : "")] = method; };
  reader.SetSZFileName(archive);
  reader.List();
  return listed;
}

TEST_F(Creation, SettingsReachTheCodec) {
  WriteFile(dir / "src\\text.txt", std::string(100000, 'x'));
  struct Case {
    std::string name;
    TCompressType type;
    TCompressStrength strength;
    uint8_t dictionary;
    std::string method;  // how the listing's method of text.txt starts
  } cases[] = {
      {"ppmd", PPMD, NORMAL, 0, "PPMD:o10:mem"},  // the codec fits the memory to the file
      {"stored", LZMA, SAVE, 0, "Copy"},
      {"dictionary", LZMA, FAST, 16, "LZMA2:16"},
  };
  z.SetAddRootDir(dir / "src");
  z.SetLPPMDmem(24);  // 16 MiB, not the default gigabyte
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    z.SetLZMACompressType(c.type);
    z.SetLZMACompressStrength(c.strength);
    z.SetLZMAStrength(c.dictionary);
    ASSERT_EQ(AddAll(c.name + ".7z", {dir / "src\\text.txt"}), 0);
    const std::string method = Listed(dir / (c.name + ".7z"))["text.txt"];
    EXPECT_EQ(method.rfind(c.method, 0), 0u) << method;
    TSevenZip tester;
    tester.SetSZFileName(dir / (c.name + ".7z"));
    EXPECT_EQ(tester.Extract(true), 0);
  }
}

TEST_F(Creation, AnOpenSourceFileIsLeftOutAndSaidSo) {
  const auto held = HoldWithoutSharing(dir / "src\\notes.md");
  ASSERT_TRUE(held);
  z.SetAddRootDir(dir / "src");
  EXPECT_NE(AddAll("x.7z", {dir / "src\\a.txt", dir / "src\\notes.md"}), 0);
  EXPECT_EQ(messages, std::vector<std::string>{"1 File not found " + (dir / "src\\notes.md")});
  EXPECT_EQ(z.LastError(), 32) << "ERROR_SHARING_VIOLATION";
}

}  // namespace
