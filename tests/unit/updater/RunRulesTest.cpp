#include <gtest/gtest.h>

#include "updater/RunRules.h"

namespace {

TEST(RunRules, Stamp) {
  platform::LocalTime t{2024, 3, 5, 14, 7, 9, 42};
  EXPECT_EQ("patch_" + PatchStamp(t) + ".zip", "patch_2024035140709042.zip");
  t.month = 12;
  t.day = 31;
  t.hour = 0;
  t.millisecond = 999;
  EXPECT_EQ(PatchStamp(t), "20241231000709999");  // 17 digits with a two-digit day
  const std::string now = PatchStamp(platform::LocalTimeNow());
  EXPECT_TRUE(now.size() == 16 || now.size() == 17) << now;
  EXPECT_EQ(now.find_first_not_of("0123456789"), std::string::npos) << now;
}

TEST(RunRules, PackageKindFromTheUrlEnding) {
  const struct {
    std::string url;
    bool recognised;
    TPatchMode mode;
    std::string extension;
  } cases[] = {
      {"http://h/p/patch.7z", true, pm7z, ".7z"},
      {"http://h/p/patch.zip", true, pmZip, ".zip"},
      {"https://h/p/setup.exe", true, pmPkgExe, ".exe"},
      {"http://h/p/patch.ZIP", false, pmPkgExe, ""},
      {"http://h/p/patch.zip?x=1", false, pmPkgExe, ""},
      {"http://h/p/patch.7z.zip", true, pmZip, ".zip"},
      {"", false, pmPkgExe, ""},
  };
  for (const auto& c : cases) {
    TPatchMode mode = pmPkgExe;
    std::string extension;
    EXPECT_EQ(PatchModeFromUrl(c.url, &mode, &extension), c.recognised) << c.url;
    EXPECT_EQ(mode, c.mode) << c.url;
    EXPECT_EQ(extension, c.extension) << c.url;
  }
}

// Only names a run gives its package are taken for a stale one and deleted;
// anything else of the user's in the program folder stays.
TEST(RunRules, PackageNamesOfEarlierRuns) {
  platform::LocalTime t{2024, 1, 5, 0, 0, 0, 1};
  const std::string shortStamp = PatchStamp(t);
  t.day = 25;
  const std::string longStamp = PatchStamp(t);
  const struct {
    std::string name;
    bool package;
  } cases[] = {
      {"patch_" + shortStamp + ".7z", true},
      {"patch_" + longStamp + ".zip", true},
      {"patch_" + PatchStamp(platform::LocalTimeNow()) + ".exe", true},
      {"patch_" + shortStamp.substr(1) + ".7z", false},
      {"patch_" + longStamp + "0.7z", false},
      {"patch_" + shortStamp + ".7z.bak", false},
      {"patch_" + shortStamp + ".ZIP", false},
      {"patch_" + shortStamp, false},
      {"patch_notes.txt", false},
      {"Patch_" + shortStamp + ".7z", false},
      {"old_patch_" + shortStamp + ".7z", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsPatchPackageName(c.name), c.package) << c.name;
}

TEST(RunRules, FallbackReplacesTheFirst7z) {
  EXPECT_EQ(FallbackUrl("http://h/p/patch.7z"), "http://h/p/patch.exe");
  EXPECT_EQ(FallbackUrl("http://h/v.7z/patch.7z"), "http://h/v.exe/patch.7z");
  EXPECT_EQ(FallbackUrl("http://h/p/patch.zip"), "http://h/p/patch.zip");
}

TEST(RunRules, ProgressArithmetic) {
  const struct {
    double part, total;
    int percent;
  } percents[] = {
      {0, 100, 0},     {1, 200, 0},  // 0.5 rounds to even: 0
      {3, 200, 2},                   // 1.5 rounds to even: 2
      {5, 200, 2},                   // 2.5 rounds to even: 2
      {1, 3, 33},      {2, 3, 67},
      {100, 100, 100}, {250, 100, 250},  // more than declared: shown as computed
      {5, 0, 0},       {5, -1, 0},
  };
  for (const auto& c : percents)
    EXPECT_EQ(ProgressPercent(c.part, c.total), c.percent) << c.part << "/" << c.total;

  EXPECT_EQ(BarWidth(0, 458), 0);
  EXPECT_EQ(BarWidth(33, 458), 151);  // 151.14 truncated
  EXPECT_EQ(BarWidth(99, 458), 453);  // 453.42 truncated
  EXPECT_EQ(BarWidth(100, 458), 458);
  EXPECT_EQ(BarWidth(250, 458), 1145);
}

TEST(RunRules, StatusAndProcessId) {
  EXPECT_EQ(UnpackStatusText(1), "압축 해제 중(1/10)");
  EXPECT_EQ(UnpackStatusText(10), "압축 해제 중(10/10)");
  const struct {
    std::string text;
    int32_t id;
  } ids[] = {{"4242", 4242}, {"0", 0},           {"", 0},  {"abc", 0}, {"12x", 0}, {" 12", 12},
             {"-5", -5},     {"99999999999", 0}, {"+7", 7}};
  for (const auto& c : ids) EXPECT_EQ(ParseProcessId(c.text), c.id) << c.text;
}

}  // namespace
