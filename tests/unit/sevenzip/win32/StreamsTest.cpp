#include <gtest/gtest.h>

#include "ArchiveFixtures.h"
#include "WinFixtures.h"
#include "platform/Text.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/StreamWriter.h"
#include "tests/tools/TempDir.h"
// After the component's headers.
#include <windows.h>

namespace {

using namespace sevenzip_test;
using testing_tools::TempDir;

WIN32_FILE_ATTRIBUTE_DATA Look(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(platform::Utf8ToWide(path).c_str(), GetFileExInfoStandard, &data);
  return data;
}

TEST(StreamWriter, TheDateAndTheReadOnlyBitAreAppliedWhenClosed) {
  TempDir dir;
  int32_t error = 0;
  const uint64_t day2of1970 = ToFileTimeTicks({86400, 123456700});
  auto writer = TMyStreamWriter::Create(&error, dir / "f", day2of1970,
                                        FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY, 0, false);
  ASSERT_TRUE(writer);
  uint32_t done = 0;
  EXPECT_EQ(writer->Write("abc", 3, &done), S_OK);
  EXPECT_TRUE(writer->Close());
  const WIN32_FILE_ATTRIBUTE_DATA data = Look(dir / "f");
  EXPECT_EQ(
      uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime,
      day2of1970);
  EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(ReadFile(dir / "f"), "abc");
  SetAttributes(dir / "f", FILE_ATTRIBUTE_NORMAL);
}

TEST(StreamWriter, FailuresCarryTheSystemsCode) {
  TempDir dir;
  int32_t error = 0;
  EXPECT_FALSE(TMyStreamWriter::Create(&error, dir / "no\\such\\folder\\f", std::nullopt,
                                       FILE_ATTRIBUTE_ARCHIVE, 0, false));
  EXPECT_EQ(error, ERROR_PATH_NOT_FOUND);
  error = 0;
  WriteFile(dir / "held", "kept");
  {
    const auto held = HoldWithoutSharing(dir / "held");
    ASSERT_TRUE(held);
    EXPECT_FALSE(TMyStreamWriter::Create(&error, dir / "held", std::nullopt, FILE_ATTRIBUTE_ARCHIVE,
                                         0, false));
  }
  EXPECT_EQ(error, ERROR_SHARING_VIOLATION);
  EXPECT_EQ(ReadFile(dir / "held"), "kept");
}

}  // namespace
