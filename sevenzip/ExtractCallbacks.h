#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/Result.h"
#include "sevenzip/ExtractTargets.h"
#include "sevenzip/InterfacedObject.h"
#include "sevenzip/ItemProgress.h"
#include "sevenzip/PendingFileStream.h"
#include "sevenzip/SevenZip.h"

// Answers the codec while it opens an archive.
class TMyArchiveOpenCallback final
    : public sevenzip::TInterfacedObject<sevenzip::IArchiveOpenCallback,
                                         sevenzip::ICryptoGetTextPassword> {
 public:
  explicit TMyArchiveOpenCallback(TSevenZip* Owner);

  sevenzip::HRESULT CODEC_CALL SetTotal(const uint64_t* files,
                                        const uint64_t* bytes) noexcept override;
  sevenzip::HRESULT CODEC_CALL SetCompleted(const uint64_t* files,
                                            const uint64_t* bytes) noexcept override;
  sevenzip::HRESULT CODEC_CALL CryptoGetTextPassword(sevenzip::BSTR* Password) noexcept override;

 private:
  TSevenZip* FSevenzip;
  std::string FPassword;
};

// Decides for every item where it goes and whether it is written, and turns
// the codec's progress and results into the component's events and codes.
class TMyArchiveExtractCallback final
    : public sevenzip::TInterfacedObject<sevenzip::IArchiveExtractCallback,
                                         sevenzip::ICryptoGetTextPassword> {
 public:
  explicit TMyArchiveExtractCallback(TSevenZip* Owner);

  sevenzip::HRESULT CODEC_CALL SetTotal(uint64_t total) noexcept override;
  sevenzip::HRESULT CODEC_CALL SetCompleted(const uint64_t* completeValue) noexcept override;
  sevenzip::HRESULT CODEC_CALL GetStream(uint32_t index, sevenzip::ISequentialOutStream** outStream,
                                         int32_t askExtractMode) noexcept override;
  sevenzip::HRESULT CODEC_CALL PrepareOperation(int32_t askExtractMode) noexcept override;
  sevenzip::HRESULT CODEC_CALL SetOperationResult(int32_t resultEOperationResult) noexcept override;
  sevenzip::HRESULT CODEC_CALL CryptoGetTextPassword(sevenzip::BSTR* Password) noexcept override;

  std::string FExtractDirectory;
  // Where the changes are recorded, if anywhere.
  platform::UpdateJournal* FJournal = nullptr;
  bool FTestPass = false;
  int64_t FFilestoextract = 0;
  bool FLastFileToExt = false;
  bool FAllFilesExt = false;

  // Whether any item of the pass failed (was refused, not written, or
  // reported a data, CRC or method error).
  bool AnyItemFailed() const { return FAnyItemFailed; }
  // Whether the pass was stopped by us because every selected file was done.
  bool StoppedAfterSelection() const { return FStoppedAfterSelection; }

 private:
  ~TMyArchiveExtractCallback() override;
  std::string StoredPart(const std::string& path) const;  // all of it, or the name
  std::string OutputPath(const std::string& path) const;
  sevenzip::HRESULT ExtractItem(uint32_t index, sevenzip::ISequentialOutStream** outStream);
  // Refuses an item (not written, reported with code 11); the pass goes on.
  sevenzip::HRESULT Refuse(const std::string& reportName);
  // An item that could not be created (reported with code 11, LastError
  // set); the pass stops.
  sevenzip::HRESULT CreateFailed(const platform::Result& why, const std::string& reportName);
  // Ends the current output file: renames it over its target when `keep`,
  // removes it otherwise. False when a kept file could not be put in place.
  bool FinishOutput(bool keep);
  bool Report(int32_t code, const std::string& fileName);

  TSevenZip* FSevenzip;
  TItemProgress FProgress;
  std::string FPassword;

  // Opened with the first item written.
  std::optional<TExtractTargets> FTargets;
  // The file being written, with what it gets when it is put in place.
  sevenzip::ComPtr<TMyPendingFileStream> FOutput;
  std::optional<uint32_t> FOutputMode;
  std::optional<platform::FileTime> FOutputTime;
  std::string FReportName;
  bool FItemRefused = false;
  bool FAnyItemFailed = false;
  bool FStoppedAfterSelection = false;
};
