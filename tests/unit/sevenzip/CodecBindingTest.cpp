#include <gtest/gtest.h>

#include "ArchiveFixtures.h"
#include "sevenzip/InterfacedObject.h"
#include "sevenzip/SevenZip.h"

namespace {

using namespace sevenzip;
using sevenzip_test::ConstructionError;
using sevenzip_test::Native;

TEST(CodecBinding, ConstructionLoadsTheInstalledCodecWithDefaults) {
  TSevenZip z;
  EXPECT_EQ(z.Codec().Version() >> 16, 26u) << "the tests were written against 7-Zip 26";
  EXPECT_EQ(z.NumberOfFiles(), -1);
  EXPECT_EQ(z.SFXModule(), "7z.sfx");
  EXPECT_EQ(z.LPPMDsize(), 10);
  EXPECT_EQ(z.LPPMDmem(), 30);
  EXPECT_EQ(z.ErrCode(), 0);
  EXPECT_EQ(z.LastError(), 0);
  EXPECT_EQ(z.LZMACompressType(), LZMA);
  EXPECT_EQ(z.LZMACompressStrength(), SAVE);
  EXPECT_EQ(z.VolumeSize(), 0);
  EXPECT_FALSE(z.IsSFX());
  EXPECT_EQ(z.Files().Count, 0u);
}

// A probe object with two interfaces, one of which derives from another.
class TProbe final : public TInterfacedObject<IInStream, IStreamGetSize> {
 public:
  explicit TProbe(bool& destroyed) : FDestroyed(destroyed) {}
  HRESULT CODEC_CALL Read(void*, uint32_t, uint32_t*) noexcept override { return S_OK; }
  HRESULT CODEC_CALL Seek(int64_t, uint32_t, uint64_t*) noexcept override { return S_OK; }
  HRESULT CODEC_CALL GetSize(uint64_t*) noexcept override { return S_OK; }

 private:
  ~TProbe() override { FDestroyed = true; }
  bool& FDestroyed;
};

TEST(InterfacedObject, CountsReferencesAndAnswersDeclaredInterfaces) {
  bool destroyed = false;
  auto* probe = new TProbe(destroyed);
  EXPECT_EQ(probe->RefCount(), 0);
  EXPECT_EQ(probe->AddRef(), 1u);
  void* out = nullptr;
  EXPECT_EQ(probe->QueryInterface(&ISequentialInStream::kIID, &out), S_OK);
  EXPECT_EQ(out, static_cast<IInStream*>(probe));
  EXPECT_EQ(probe->QueryInterface(&IStreamGetSize::kIID, &out), S_OK);
  EXPECT_EQ(out, static_cast<IStreamGetSize*>(probe));
  EXPECT_EQ(probe->RefCount(), 3);
  EXPECT_EQ(probe->QueryInterface(&IOutStream::kIID, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(probe->RefCount(), 3);
  static_cast<IStreamGetSize*>(probe)->Release();
  probe->Release();
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(probe->Release(), 0u);
  EXPECT_TRUE(destroyed);
}

TEST(CodecBinding, LibrariesWithoutCreateObjectOrA7zHandlerAreRefused) {
  const std::string name = kCodecLibraryName;
  EXPECT_EQ(
      ConstructionError({Native(FAKE_CODEC_NO_CREATE)}),
      "Could not load CreateObject function from " + name + "\r\nPerhaps " + name + " not found");
  const std::string noHandler = Native(FAKE_CODEC_NO_HANDLER);
  EXPECT_EQ(ConstructionError({noHandler}),
            "Could not create the 7z archive handler of " + noHandler);
}

TEST(CodecBinding, MessagesAreIndexedByCode) {
  EXPECT_STREQ(kSevenZipMessages[kErrSuccess], "Success");
  EXPECT_STREQ(kSevenZipMessages[kErrNotSFX], "File is not an 7z SFX archive");
  EXPECT_STREQ(kSevenZipMessages[kErrSFXModule], "SFXModule error ( Not found )");
  EXPECT_STREQ(kSevenZipMessages[kErrCreateFile], "Could not create file");
}

}  // namespace
