#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "ArchiveFixtures.h"
#include "PosixFixtures.h"
#include "sevenzip/FileNames.h"
#include "sevenzip/SevenZip.h"
#include "sevenzip/StreamReader.h"
#include "sevenzip/StreamWriter.h"
#include "tests/tools/ScopedUmask.h"
#include "tests/tools/TempDir.h"

namespace {

using namespace sevenzip;
using namespace sevenzip_test;
using testing_tools::TempDir;

ComPtr<TMyStreamReader> Reader(TSevenZip& owner, const std::string& name, bool asArchive) {
  return ComPtr<TMyStreamReader>(new TMyStreamReader(&owner, name, asArchive));
}

TEST(StreamWriter, DatesAndPermissionsAreAppliedWhenClosed) {
  TempDir dir;
  int32_t error = 0;
  const uint64_t day2of1970 = ToFileTimeTicks({86400, 123456700});
  const uint32_t attr = 0x20 | 0x8000 | (0106751u << 16);  // set-user-id is dropped
  auto writer = TMyStreamWriter::Create(&error, dir / "f", day2of1970, attr, 0, false);
  ASSERT_TRUE(writer);
  uint32_t done = 0;
  EXPECT_EQ(writer->Write("abc", 3, &done), S_OK);
  EXPECT_TRUE(writer->Close());
  struct stat st {};
  ASSERT_EQ(stat((dir / "f").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 86400);
  EXPECT_EQ(st.st_mtim.tv_nsec, 123456700);
  EXPECT_EQ(st.st_mode & 07777, 0751u);
}

TEST(StreamWriter, AReadOnlyWordWithoutUnixBitsTakesOnlyTheWriteBits) {
  // What the umask took away stays away.
  testing_tools::ScopedUmask umask(077);
  TempDir dir;
  int32_t error = 0;
  auto writer = TMyStreamWriter::Create(&error, dir / "f", std::nullopt, 0x21, 0, false);
  ASSERT_TRUE(writer);
  uint32_t done = 0;
  EXPECT_EQ(writer->Write("abc", 3, &done), S_OK);
  EXPECT_TRUE(writer->Close());
  EXPECT_EQ(Mode(dir / "f") & 07777, 0400u);
}

TEST(StreamWriter, FailuresAreReportedAndSticky) {
  TempDir dir;
  int32_t error = 0;
  EXPECT_FALSE(
      TMyStreamWriter::Create(&error, dir / "no/such/folder/f", std::nullopt, 0x20, 0, false));
  EXPECT_EQ(error, ENOENT);
  error = 0;
  {
    // A device that refuses every write.
    auto writer = TMyStreamWriter::Create(&error, "/dev/full", std::nullopt, 0x20, 0, false);
    ASSERT_TRUE(writer);
    uint32_t done = 9;
    EXPECT_EQ(writer->Write("abc", 3, &done), S_FALSE);
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(writer->Write("", 0, &done), S_FALSE);  // sticky
  }
  EXPECT_EQ(error, ENOSPC);
}

TEST(SFXCheck, ARealSelfExtractorIsReadFromItsArchive) {
  TempDir dir;
  WriteFile(dir / "src/readme.txt", "inside the self-extractor");
  ASSERT_EQ(Run7z({"a", "-sfx/usr/lib/p7zip/7zCon.sfx", "../setup.exe", "readme.txt"}, dir / "src"),
            0);
  TSevenZip z;
  EXPECT_TRUE(z.SFXCheck(dir / "setup.exe"));
  EXPECT_EQ(z.SFXOffset(), SizeOf("/usr/lib/p7zip/7zCon.sfx"));
  // A reader of the archive starts at its data; one of a plain file does not.
  auto archive = Reader(z, dir / "setup.exe", true);
  uint64_t position = 0;
  EXPECT_EQ(archive->Seek(0, 1, &position), S_OK);
  EXPECT_EQ(position, static_cast<uint64_t>(z.SFXOffset()));
  auto source = Reader(z, dir / "src/readme.txt", false);
  EXPECT_EQ(source->Seek(0, 1, &position), S_OK);
  EXPECT_EQ(position, 0u);

  z.SetSZFileName(dir / "setup.exe");
  z.SetExtrBaseDir(dir / "out");
  EXPECT_EQ(z.List(), 1);
  EXPECT_EQ(z.Extract(false), 0);
  EXPECT_EQ(ReadFile(dir / "out/readme.txt"), "inside the self-extractor");
  // The finding belongs to the .exe: a plain archive still opens at its start.
  ASSERT_EQ(Run7z({"a", "../plain.7z", "readme.txt"}, dir / "src"), 0);
  z.SetSZFileName(dir / "plain.7z");
  EXPECT_TRUE(z.IsSFX());
  EXPECT_EQ(z.List(), 1);

  WriteFile(dir / "fake.exe", std::string(200000, 'm'));
  z.SetSZFileName(dir / "fake.exe");
  std::vector<std::string> messages;
  RecordMessages(z, messages);
  EXPECT_EQ(z.Extract(false), -1);
  EXPECT_EQ(z.List(), -1);
  EXPECT_EQ(z.ErrCode(), kErrNotSFX);
  EXPECT_EQ(messages,
            std::vector<std::string>(2, "7 File is not an 7z SFX archive " + (dir / "fake.exe")));
}

}  // namespace
