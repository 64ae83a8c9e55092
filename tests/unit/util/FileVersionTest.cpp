#include <gtest/gtest.h>

#include "platform/VersionInfoWriter.h"
#include "tests/tools/FakeMain.h"
#include "tests/tools/PeMaker.h"
#include "tests/tools/TempDir.h"
#include "util/QVUtils.h"

namespace {

using platform::VersionStringTable;

constexpr uint32_t Translation(uint16_t language, uint16_t codePage) {
  return language | (static_cast<uint32_t>(codePage) << 16);
}

std::vector<uint8_t> Block(const std::vector<VersionStringTable>& tables,
                           const std::vector<uint32_t>& translations) {
  const uint16_t fixed[4] = {9, 9, 9, 9};  // never what the string says
  return platform::BuildVersionInfo(fixed, tables, translations);
}

VersionStringTable Table(uint16_t language, uint16_t codePage, std::u16string version) {
  return {language, codePage, {{u"CompanyName", u"Zelvar"}, {u"FileVersion", std::move(version)}}};
}

std::string Tuple(const TFileVersion& v) {
  return std::to_string(v.Major) + "," + std::to_string(v.Minor) + "," + std::to_string(v.Release) +
         "," + std::to_string(v.Build);
}

TEST(ReadFileVersion, PeFiles) {
  const struct {
    const char* name;
    std::optional<std::vector<uint8_t>> block;
    std::string expected;
  } cases[] = {
      {"plain", Block({Table(1033, 1200, u"1.2.3.4")}, {Translation(1033, 1200)}), "1,2,3,4"},
      {"commas and blanks", Block({Table(1033, 1200, u"1, 2, 3, 4")}, {Translation(1033, 1200)}),
       "1,2,3,4"},
      {"short", Block({Table(1033, 1200, u"2.5")}, {Translation(1033, 1200)}), "2,5,0,0"},
      {"text after a number",
       Block({Table(1033, 1200, u"1.0.0.7 beta")}, {Translation(1033, 1200)}), "1,0,0,0"},
      {"1042 then 1033 takes 1033",
       Block({Table(1042, 1200, u"5.0.0.1"), Table(1033, 1252, u"6.0.0.2")},
             {Translation(1042, 1200), Translation(1033, 1252)}),
       "6,0,0,2"},
      {"1042 only", Block({Table(1042, 949, u"7.1.0.3")}, {Translation(1042, 949)}), "7,1,0,3"},
      {"no translation table: 1033 with code page 0",
       Block({Table(1033, 0, u"3.3.3.3"), Table(1033, 1200, u"4.4.4.4")}, {}), "3,3,3,3"},
      {"translation without its table",
       Block({Table(1033, 1200, u"1.1.1.1")}, {Translation(1042, 1200)}), "0,0,0,0"},
      {"signs", Block({Table(1033, 1200, u"-1.+2.x.99999999999")}, {Translation(1033, 1200)}),
       "-1,2,0,0"},
      {"no resource", std::nullopt, "0,0,0,0"},
  };
  testing_tools::TempDir dir;
  for (bool pe64 : {false, true}) {
    for (const auto& c : cases) {
      const std::string path = dir / "app.exe";
      testing_tools::WriteBytes(path, testing_tools::MakePe(pe64, c.block));
      EXPECT_EQ(Tuple(ReadFileVersion(path)), c.expected) << c.name << (pe64 ? " (PE32+)" : "");
    }
  }
}

TEST(ReadFileVersion, NotAnExecutableOrMissing) {
  testing_tools::TempDir dir;
  testing_tools::WriteBytes(dir / "junk", std::vector<uint8_t>(4096, 'M'));
  std::vector<uint8_t> truncated = testing_tools::MakePe(
      false, Block({Table(1033, 1200, u"1.2.3.4")}, {Translation(1033, 1200)}));
  truncated.resize(0x420);  // the resource directory is cut off
  testing_tools::WriteBytes(dir / "truncated.exe", truncated);
  for (const char* name : {"junk", "truncated.exe", "missing.exe"})
    EXPECT_EQ(Tuple(ReadFileVersion(dir / name)), "0,0,0,0") << name;
  EXPECT_EQ(Tuple(ReadFileVersion(dir.path())), "0,0,0,0");
}

TEST(ReadFileVersion, OurOwnExecutableCarriesTheProjectVersion) {
  const std::string updater = std::string(UPDATER_BUILD_DIR) + "/bin/Updater.exe";
  EXPECT_EQ(Tuple(ReadFileVersion(updater)), UPDATER_VERSION_TUPLE);
  // A program built without the version block has none.
  EXPECT_EQ(Tuple(ReadFileVersion(testing_tools::FakeMainPath())), "0,0,0,0");
}

}  // namespace
