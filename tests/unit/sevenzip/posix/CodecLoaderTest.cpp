#include <gtest/gtest.h>

#include "ArchiveFixtures.h"
#include "platform/Files.h"
#include "sevenzip/SevenZip.h"

namespace {

using namespace sevenzip;
using sevenzip_test::ConstructionError;

TEST(CodecBinding, LibraryIsLookedForBesideTheProgramFirst) {
  const std::vector<std::string> candidates = CodecLibraryCandidates(platform::ProgramFolder());
  ASSERT_EQ(candidates.size(), 3u);
  EXPECT_EQ(candidates[0], platform::ProgramFolder() + "7z.so");  // beside this test
  EXPECT_EQ(candidates[1], "/usr/lib/p7zip/7z.so");
  EXPECT_EQ(candidates[2], "7z.so");
}

TEST(CodecBinding, UnusableLibrariesFailConstructionWithAClearMessage) {
  EXPECT_EQ(ConstructionError({"/nonexistent/7z.so"}),
            "Could not load CreateObject function from 7z.so\r\nPerhaps 7z.so not found");
  EXPECT_EQ(ConstructionError({FAKE_CODEC_TYPE1}),
            "Could not load CreateObject function from 7z.so\r\n" + std::string(FAKE_CODEC_TYPE1) +
                " reports interface type 1, this program needs type 0");
  // The first candidate that loads is the one used.
  EXPECT_EQ(ConstructionError({"/nonexistent/7z.so", "/usr/lib/p7zip/7z.so"}), "(constructed)");
}

}  // namespace
