#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "updater/LaunchModes.h"
#include "updater/RunRules.h"
#include "updater/UpdateRunHost.h"

class TQVHTTP;
class TSevenZip;
class TZipReader;
struct TZipEntryHeader;

namespace platform {
class FileLock;
class UpdateJournal;
}  // namespace platform

// What the update run is given by the program's entry: the command line,
// the program folder (with its trailing separator) and the process's current
// folder, where a zip package lands.
struct TUpdateRunSetup {
  TCommandLine CommandLine;
  std::string ProgramFolder;
  std::string WorkingFolder;
};

// Where the run is; the rows of its state table.
enum TRunState {
  rsCreated,
  rsDownloading,
  rsWaitingToUnpack,
  rsAttempt,
  rsWaitingToInstall,
  rsLaunching,
  rsInstalling,
  rsFinishing,
  rsDownloadFailed,
  rsUnpackFailed,
  rsClosed,
};

// The update run: download, then unpacking (up to eleven attempts a second
// apart, ending the main application before the ninth, falling back from a
// 7z package to the installer of the same release) or installing, then the
// version record, the script and the restart. It has no widgets: it reaches
// the window system through its host and tells the host what to show.
//
// An unpacking is one transaction over the installation: the first attempt
// opens a journal, every attempt writes through it, the finish commits it,
// and every other end rolls it back, so the installation is either the new
// one whole or exactly the old one.
class TUpdateRun {
 public:
  TUpdateRun(TUpdateRunHost& host, TUpdateRunSetup setup);
  // What closing the window leaves: the transfer stopped, an unfinished
  // unpacking rolled back, the package deleted.
  ~TUpdateRun();
  TUpdateRun(const TUpdateRun&) = delete;
  TUpdateRun& operator=(const TUpdateRun&) = delete;

  // Takes the arguments and starts the download.
  void Start();
  // The host's timer has fired.
  void TimerFired();
  // The window is closing: nothing more happens on the run's own account.
  void WindowClosed();

  TRunState State() const { return FState; }
  TPatchMode PatchMode() const { return FPatchMode; }
  const std::string& PatchFile() const { return FPatchFile; }
  const std::string& PatchUrl() const { return FPatchUrl; }
  int Attempts() const { return FAttempts; }
  uint32_t InstallerPId() const { return FInstallerPId; }
  // The HTTP component that downloads the package.
  TQVHTTP& HttpDownloader() { return *FHttpDownloader; }

 private:
  void TakeArguments();
  void StartDownload();
  void StopDownload();
  void DeleteStalePackages();
  void HttpDownloaderProgress(int32_t TransSize, int32_t TotalSize);
  void HttpDownloaderEnd(bool Success);
  void TimerUnPackTimer();
  void TimerInstallerCheckTimer();
  void ExtractPatch(int attempt);
  void ExtractZip();
  // The codec's result: 0 for success.
  int32_t Extract7z();
  void StartInstaller();
  void ZipFileProgress(const TZipEntryHeader& Header, int64_t Position);
  void UnpackFailed();
  void ChangePatchMode(TPatchMode mode);
  void FinishUpdate();
  void WriteVersion();
  void RunUpdateScript();
  void RunNewUpdater(const std::string& updaterFile);

  void DelayWithMessages(uint32_t milliseconds);
  platform::UpdateJournal& Transaction();
  // False when the installation could not be made what it was: the journal
  // then stays, held by this process, for the next start to finish.
  bool RollBack();
  bool InstallerRunning() const;

  TUpdateRunHost& FHost;
  const TUpdateRunSetup FSetup;
  TRunState FState = rsCreated;

  TPatchMode FPatchMode = pmPkgExe;
  std::string FPatchFile;
  std::string FPatchVersion;
  std::string FMainExeName;
  std::string FUpdaterFile;
  std::string FScriptFile;
  int32_t FMainProcessID = 0;
  std::string FPatchUrl;
  std::unique_ptr<TSevenZip> UnZip;  // only while one 7z attempt runs
  uint32_t FInstallerPId = 0;

  std::unique_ptr<TQVHTTP> FHttpDownloader;
  int FAttempts = 0;
  // Held on our package for the run's whole life, so no other run takes it
  // for the leftover of a run that is gone.
  std::unique_ptr<platform::FileLock> FPackageLock;
  std::unique_ptr<platform::UpdateJournal> FTransaction;
  uint64_t FLastRepaint = 0;  // of the zip progress
};
