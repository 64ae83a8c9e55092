#pragma once

#include <QImage>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/untZelvarForm.h"
#include "ui_untUpdaterMain.h"
#include "updater/LaunchModes.h"
#include "updater/RunRules.h"

class TQVHTTP;
class TSevenZip;
class TZipReader;
struct TZipEntryHeader;

// A window timer with the integer tag the run counts its attempts in.
class TTaggedTimer : public QTimer {
 public:
  using QTimer::QTimer;
  int Tag = 0;
};

// What the update run is given: the command line and the program folder
// (with its trailing separator).
struct TUpdateRunSetup {
  TCommandLine CommandLine;
  std::string ProgramFolder;
};

// Stage shown in the update window.
enum TStatus { stInit, stDownload, stUnextract, stInstall, stError };

// The update window: logo, title, a line asking the user to wait, the status
// line, the percentage and a thin rounded progress bar, in the product's frame
// with only the close button. Given a run setup it also carries out the update
// run: download, unpacking or installing, version record, script, restart.
class TfmUpdaterMain : public TZelvarForm, public Ui::UpdaterMainDesign {
  Q_OBJECT

 public:
  // The window alone, without a run.
  explicit TfmUpdaterMain(QWidget* parent = nullptr);
  // The window of an update run, which starts before the window is shown.
  explicit TfmUpdaterMain(const TUpdateRunSetup& setup, QWidget* parent = nullptr);
  ~TfmUpdaterMain() override;

  TStatus Status() const { return FStatus; }
  // Shows a stage; the resetting stages also empty the bar and the percentage.
  void SetStatus(TStatus status);
  // Renders the logo for the current scale.
  void LoadLogo();
  // Bound to OnChangeScale: the window's content follows the new DPI.
  void ScaleChanged(QObject* Sender);
  // The run has ended the application (after a successful update).
  bool Terminated() const { return FTerminated; }
  const std::string& PatchFileName() const { return PatchFile; }

  // The logo drawn at twice its design size.
  std::vector<QImage> ImgList;

 protected:
  void FormCreate() override;
  void FormDestroy() override;
  void resizeEvent(QResizeEvent* event) override;

 private slots:
  void on_TimerUnPack_timeout();
  void on_TimerInstallerCheck_timeout();

 private:
  TfmUpdaterMain(std::optional<TUpdateRunSetup> setup, QWidget* parent);
  void LayoutContent();
  void CreateComponents();

  // The run.
  void TakeArguments();
  void StartDownload();
  void StopDownload();
  void HttpDownloaderProgress(QObject* Sender, int32_t TransSize, int32_t TotalSize);
  void HttpDownloaderEnd(QObject* Sender, bool Success);
  void ExtractPatch(int attempt);
  void ZipFileProgress(TZipReader* Sender, const std::string& FileName,
                       const TZipEntryHeader& Header, int64_t Position);
  void ChangePatchMode(TPatchMode mode);
  void FinishUpdate();
  void WriteVersion();
  void RunUpdateScript();
  void RunNewUpdater(const std::string& updaterFile);
  void ShowProgress(int percent, bool showPercent);
  void Terminate();

  TStatus FStatus = stInit;

  std::optional<TUpdateRunSetup> FSetup;
  TPatchMode PatchMode = pmPkgExe;
  std::string PatchFile;
  std::string PatchVersion;
  std::string MainExeName;
  std::string UpdaterFile;
  std::string ScriptFile;
  int32_t MainProcessID = 0;
  std::string PatchUrl;
  std::unique_ptr<TSevenZip> UnZip;  // only while one 7z attempt runs
  uint32_t InstallerPId = 0;

  TQVHTTP* HttpDownloader = nullptr;
  TTaggedTimer* TimerUnPack = nullptr;
  TTaggedTimer* TimerInstallerCheck = nullptr;
  int64_t FLastRepaint = 0;  // of the zip progress, in ms
  bool FTerminated = false;
};

// Waits `milliseconds` while still handling the application's events.
void DelayWithMessages(uint32_t milliseconds);
