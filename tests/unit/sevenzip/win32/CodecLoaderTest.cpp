// The component's headers first: windows.h makes macros of names they use.
#include <gtest/gtest.h>

#include "ArchiveFixtures.h"
#include "WinFixtures.h"
#include "platform/Text.h"
#include "sevenzip/SevenZip.h"
#include "tests/tools/Processes.h"
#include "tests/tools/TempDir.h"
// After the component's headers.
#include <windows.h>
// After windows.h, which it needs.
#include <oleauto.h>

namespace {

using sevenzip_test::ConstructionError;
using testing_tools::TempDir;

constexpr const char* kMissing =
    "Could not load CreateObject function from 7za.dll\r\nPerhaps 7za.dll not found";

TEST(CodecLoader, TheLibraryIsLoadedByItsPlainNameFromTheProgramFolder) {
  EXPECT_EQ(sevenzip::CodecLibraryCandidates(sevenzip_test::ProgramFolder()),
            std::vector<std::string>{"7za.dll"});
  TSevenZip z;
  EXPECT_EQ(z.Codec().Path(), "7za.dll");
  const HMODULE module = GetModuleHandleW(L"7za.dll");
  ASSERT_NE(module, nullptr);
  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(module, path, MAX_PATH), 0u);
  const std::string loaded = platform::WideToUtf8(path);
  EXPECT_EQ(CompareStringOrdinal(
                platform::Utf8ToWide(loaded).c_str(), -1,
                platform::Utf8ToWide(sevenzip_test::ProgramFolder() + "7za.dll").c_str(), -1, TRUE),
            CSTR_EQUAL)
      << loaded;
}

TEST(CodecLoader, UnusableLibrariesFailConstructionWithTheMessage) {
  EXPECT_EQ(ConstructionError({"C:\\nonexistent\\7za.dll"}), kMissing);
  EXPECT_EQ(ConstructionError({"kernel32.dll"}), kMissing);  // loads, but no CreateObject
  EXPECT_EQ(ConstructionError({"C:\\nonexistent\\7za.dll", "7za.dll"}), "(constructed)");
}

TEST(CodecLoader, WithoutTheLibraryBesideTheProgramConstructionFails) {
  TempDir dir;
  const std::string said = dir / "said.txt";
  ASSERT_EQ(testing_tools::RunProgram(sevenzip_test::Native(CODEC_PROBE), {said}, dir.path()), 0);
  EXPECT_EQ(sevenzip_test::ReadFile(said), kMissing);
}

TEST(CodecLoader, StringsAreTheSystemsUtf16Bstrs) {
  TSevenZip z;
  const sevenzip::BSTR text = z.Codec().AllocString("한글 ok");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 5u);  // UTF-16 code units
  EXPECT_EQ(SysStringByteLen(text), 10u);
  EXPECT_EQ(std::wstring(text), L"\uD55C\uAE00 ok");
  z.Codec().FreeString(text);

  sevenzip::PROPVARIANT value{};
  value.vt = sevenzip::VT_BSTR;
  value.bstrVal = z.Codec().AllocString("x");
  z.Codec().ClearVariant(value);
  EXPECT_EQ(value.vt, sevenzip::VT_EMPTY);
}

}  // namespace
