#include "updater/UpdateRun.h"

#include <filesystem>
#include <stdexcept>

// The codec's declarations before anything that may bring windows.h, which
// makes macros of names they use (S_OK, FILE_ATTRIBUTE_READONLY).
#include "sevenzip/CodecLibrary.h"
#include "sevenzip/SevenZip.h"

#include "http/QVHTTP.h"
#include "platform/ConfinedFolder.h"
#include "platform/FileLock.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Process.h"
#include "platform/UpdateJournal.h"
#include "script/QVScript.h"
#include "updater/ZipReader.h"
#include "util/QVUtils.h"

namespace {

constexpr int kMaxCountedAttempts = 10;
constexpr int kKillBeforeAttempt = 9;
constexpr uint32_t kUnpackInterval = 1000;
constexpr uint32_t kInstallerCheckInterval = 250;
constexpr uint32_t kStopWait = 1000;
// How often the bar is painted while a zip entry is written.
constexpr uint64_t kZipRepaintMs = 30;

const char kDownloadFailed[] = "파일을 다운로드 할 수 없습니다.\r\n잠시 후 다시 시도해 주십시오.";
const char kUnpackFailed[] = "파일을 압축해제할 수 없습니다.\r\n잠시 후 다시 시도해 주십시오.";

void DeleteIfExists(const std::string& path) {
  if (platform::FileExists(path)) platform::DeleteFile(path);
}

}  // namespace

TUpdateRun::TUpdateRun(TUpdateRunHost& host, TUpdateRunSetup setup)
    : FHost(host), FSetup(std::move(setup)), FHttpDownloader(std::make_unique<TQVHTTP>()) {
  TQVHTTP& http = *FHttpDownloader;
  http.SetTimeOut(10000);
  http.SetCharSet("UTF-8");
  http.SetMethod("POST");
  http.SetMultiPartMode(false);
  http.SetAutoHTTPEncode(false);
  http.SetBlockMode(false);
  http.SetKeepAlive(false);
  http.SetMaxSize(0);
  http.OnProgress = [this](THTTPSender*, int32_t TransSize, int32_t TotalSize) {
    HttpDownloaderProgress(TransSize, TotalSize);
  };
  http.OnEnd = [this](THTTPSender*, bool Success) { HttpDownloaderEnd(Success); };
}

TUpdateRun::~TUpdateRun() {
  FHost.StopTimer();
  // Closing the window in the middle of the attempts abandons the update:
  // the installation goes back to what it was.
  RollBack();
  try {
    StopDownload();
  } catch (...) {
  }
  // An installer still running may be reading its package.
  if (!InstallerRunning()) {
    try {
      DeleteIfExists(FPatchFile);
    } catch (...) {
    }
  }
}

void TUpdateRun::Start() {
  TakeArguments();
  StartDownload();
}

void TUpdateRun::WindowClosed() {
  FState = rsClosed;
  FHost.StopTimer();
}

void TUpdateRun::TakeArguments() {
  const TCommandLine& args = FSetup.CommandLine;
  if (args.ParamStr(1) != "MAIN_UP") return;
  if (args.ParamCount() >= 2) FPatchVersion = args.ParamStr(2);
  if (args.ParamCount() >= 3) FMainExeName = args.ParamStr(3);
  if (args.ParamCount() >= 4) FMainProcessID = ParseProcessId(args.ParamStr(4));
  if (args.ParamCount() >= 5) FPatchUrl = args.ParamStr(5);
}

void TUpdateRun::StartDownload() {
  FState = rsDownloading;
  FHost.SetStatus(stDownload);
  const std::string& folder = FSetup.ProgramFolder;
  // The kind is decided here, once per download; the attempts go by it.
  std::string extension;
  if (PatchModeFromUrl(FPatchUrl, &FPatchMode, &extension))
    FPatchFile = folder + "patch_" + PatchStamp(FHost.LocalTime()) + extension;
  FUpdaterFile = folder + "Updater_New.exe";
  FScriptFile = folder + "script.dat";
  for (const std::string* file : {&FPatchFile, &FUpdaterFile, &FScriptFile}) DeleteIfExists(*file);
  FPackageLock.reset();
  if (!FPatchFile.empty()) FPackageLock = platform::FileLock::Acquire(FPatchFile, true);
  DeleteStalePackages();

  TQVHTTP& http = *FHttpDownloader;
  http.BufferClear();
  http.SetMethod("GET");
  http.SetAutoHTTPEncode(true);
  http.SetBlockMode(false);
  http.SetDownFileMode(true);
  http.SetDownFileName(FPatchFile);
  http.SetURL(FPatchUrl);
  http.RequestHTTPData();
}

// Packages of earlier runs that were killed before they could delete theirs:
// each is as large as a release and nothing else would ever remove it. A run
// holds a lock on its package for its whole life, and an installer it started
// holds it while it runs, so one that can be locked is nobody's.
void TUpdateRun::DeleteStalePackages() {
  const std::string& folder = FSetup.ProgramFolder;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const std::string path = folder + name;
    if (!IsPatchPackageName(name) || path == FPatchFile) continue;
    if (auto stale = platform::FileLock::Acquire(path, false)) DeleteIfExists(path);
  }
}

void TUpdateRun::StopDownload() {
  if (FHttpDownloader->Success()) return;
  FHttpDownloader->Stop();
  DelayWithMessages(kStopWait);
}

void TUpdateRun::DelayWithMessages(uint32_t milliseconds) {
  // A clock that never wraps: the wait never ends early.
  const uint64_t end = FHost.TickCount() + milliseconds;
  while (FHost.TickCount() < end) {
    FHost.ProcessMessages();
    FHost.Sleep(1);
  }
}

void TUpdateRun::HttpDownloaderProgress(int32_t TransSize, int32_t TotalSize) {
  FHost.ShowProgress(ProgressPercent(TransSize, TotalSize), true);
}

void TUpdateRun::HttpDownloaderEnd(bool Success) {
  if (FState == rsClosed) return;
  if (Success) {
    const bool installer = FPatchMode == pmPkgExe;
    FState = installer ? rsWaitingToInstall : rsWaitingToUnpack;
    FHost.SetStatus(installer ? stInstall : stUnextract);
    FHost.StartTimer(kUnpackInterval);
    return;
  }
  FState = rsDownloadFailed;
  FHost.ShowMessage(kDownloadFailed);
  FState = rsClosed;
  FHost.CloseWindow();
}

// The state tells which of the two timers of the run this one stands for.
void TUpdateRun::TimerFired() {
  if (FState == rsWaitingToUnpack || FState == rsWaitingToInstall)
    TimerUnPackTimer();
  else if (FState == rsInstalling)
    TimerInstallerCheckTimer();
}

void TUpdateRun::TimerUnPackTimer() {
  FHost.StopTimer();
  const int attempt = ++FAttempts;
  if (FPatchMode != pmPkgExe) {
    if (attempt <= kMaxCountedAttempts) FHost.ShowStatusLine(UnpackStatusText(attempt));
    if (attempt == kKillBeforeAttempt && FMainProcessID > 0) {
      try {
        KillProcessAndChildren(static_cast<uint32_t>(FMainProcessID));
      } catch (...) {
      }
    }
  }
  ExtractPatch(attempt);
}

void TUpdateRun::ExtractPatch(int attempt) {
  FState = FPatchMode == pmPkgExe ? rsLaunching : rsAttempt;
  FHost.ProcessMessages();
  // Closed while the new status was painted: no more unpacking.
  if (FState == rsClosed) return;
  try {
    switch (FPatchMode) {
      case pmZip:
        ExtractZip();
        FinishUpdate();
        break;
      case pm7z:
        if (Extract7z() == 0)
          FinishUpdate();
        else if (attempt > kMaxCountedAttempts)
          ChangePatchMode(pmPkgExe);
        else
          FHost.StartTimer(kUnpackInterval);
        break;
      case pmPkgExe:
        StartInstaller();
        break;
    }
  } catch (...) {
    UnZip.reset();
    if (attempt <= kMaxCountedAttempts) {
      FState = FPatchMode == pmPkgExe ? rsWaitingToInstall : rsWaitingToUnpack;
      FHost.StartTimer(kUnpackInterval);
    } else {
      // The installation is whole again before the user reads the message.
      RollBack();
      UnpackFailed();
    }
  }
}

void TUpdateRun::ExtractZip() {
  TZipReader reader;
  reader.OnProgress = [this](TZipReader*, const std::string&, const TZipEntryHeader& Header,
                             int64_t Position) { ZipFileProgress(Header, Position); };
  reader.Open(FPatchFile);
  // Under the process's current folder, which the run never sets.
  reader.ExtractAll(FSetup.WorkingFolder, &Transaction());
  reader.Close();
}

int32_t TUpdateRun::Extract7z() {
  UnZip = std::make_unique<TSevenZip>(sevenzip::CodecLibraryCandidates(FSetup.ProgramFolder));
  UnZip->SetExtrBaseDir(FSetup.ProgramFolder);
  UnZip->SetExtractOptions(ExtractOverwrite);
  UnZip->SetSZFileName(FPatchFile);
  UnZip->SetExtractJournal(&Transaction());
  const int32_t result = UnZip->Extract(false);
  // Freed after every attempt; cleared too, so nothing points at it.
  UnZip.reset();
  if (result != 0) FState = rsWaitingToUnpack;
  return result;
}

void TUpdateRun::StartInstaller() {
  FHost.SetStatus(stInstall);
  // A package made elsewhere arrives without the execute bit.
  platform::MakeOwnerExecutable(FPatchFile);
  uint32_t pid = 0;
  const std::string parameters = "/verysilent /patch=\"" + FPatchFile + "\"";
  // The installer holds its package's lock while it runs from it.
  if (FPackageLock) FPackageLock->ShareWithChildren(true);
  const uint32_t error = LaunchProcess(FPatchFile, parameters, platform::kShowNormal, pid);
  if (FPackageLock) FPackageLock->ShareWithChildren(false);
  if (error != 0) {
    FState = rsClosed;
    FHost.CloseWindow();
    return;
  }
  FInstallerPId = pid;
  FState = rsInstalling;
  FHost.StartTimer(kInstallerCheckInterval);
}

void TUpdateRun::ZipFileProgress(const TZipEntryHeader& Header, int64_t Position) {
  // An empty entry is complete as soon as it is there.
  const int percent =
      Header.UncompressedSize == 0 ? 100 : ProgressPercent(Position, Header.UncompressedSize);
  FHost.ShowProgress(percent, false);
  // Unpacking runs on the window's thread: let the bar be painted now and
  // then, without taking user input in the middle of it.
  const uint64_t now = FHost.TickCount();
  if (now - FLastRepaint >= kZipRepaintMs) {
    FLastRepaint = now;
    FHost.Repaint();
  }
}

void TUpdateRun::TimerInstallerCheckTimer() {
  try {
    if (IsProcessRunning(FInstallerPId) && FInstallerPId > 0) {
      FHost.StartTimer(kInstallerCheckInterval);
      return;
    }
    FState = rsClosed;
    FHost.CloseWindow();
  } catch (...) {
  }
}

bool TUpdateRun::InstallerRunning() const {
  return FInstallerPId > 0 && IsProcessRunning(FInstallerPId);
}

void TUpdateRun::UnpackFailed() {
  FState = rsUnpackFailed;
  FHost.ShowMessage(kUnpackFailed);
  FState = rsClosed;
  FHost.CloseWindow();
}

void TUpdateRun::ChangePatchMode(TPatchMode mode) {
  if (mode != pmPkgExe) return;
  // The installer must find the installation as it was; over a half undone
  // one, and with a journal that the next start would replay over its work,
  // it must not run at all.
  if (!RollBack()) {
    UnpackFailed();
    return;
  }
  FHost.SetStatus(stDownload);
  DeleteIfExists(FPatchFile);
  FPatchUrl = FallbackUrl(FPatchUrl);
  StartDownload();
}

platform::UpdateJournal& TUpdateRun::Transaction() {
  if (!FTransaction) {
    platform::Result result;
    FTransaction = platform::UpdateJournal::Begin(FSetup.ProgramFolder, &result);
    if (!FTransaction) throw std::runtime_error(result.text());
  }
  return *FTransaction;
}

bool TUpdateRun::RollBack() {
  if (!FTransaction) return true;
  // Once more for what a passing lock or a busy file stopped.
  if (!FTransaction->Rollback() && !FTransaction->Rollback()) return false;
  FTransaction.reset();
  return true;
}

void TUpdateRun::FinishUpdate() {
  FState = rsFinishing;
  WriteVersion();
  // The update has landed once this holds; the script is not part of it.
  const platform::Result committed = Transaction().Commit();
  if (!committed) throw std::runtime_error(committed.text());
  FTransaction.reset();
  RunUpdateScript();
  if (platform::FileExists(FUpdaterFile))
    RunNewUpdater(FUpdaterFile);
  else
    platform::ShellOpen(FSetup.ProgramFolder + FMainExeName, "UPDATER_UP \"" + FMainExeName + "\"");
  DeleteIfExists(FPatchFile);
  DeleteIfExists(FScriptFile);
  FPackageLock.reset();
  FHost.Terminate();
}

// Part of the transaction: a run killed after this and before its commit
// leaves the old version recorded with the old files.
void TUpdateRun::WriteVersion() {
  const std::string path = FSetup.ProgramFolder + "version.ini";
  // One that is there but cannot be read must not be replaced by our key alone.
  std::string content;
  if (!platform::ReadFile(path, &content) && platform::FileExists(path))
    throw std::runtime_error("cannot read version.ini");
  const std::string text =
      platform::SetProfileStringInText(content, "config", "version", FPatchVersion);
  platform::Result result;
  auto folder = Transaction().OpenFolder(FSetup.ProgramFolder, &result);
  std::unique_ptr<platform::PendingFile> file;
  if (folder) file = folder->CreateFile({"version.ini"}, &result);
  if (file) result = file->Write(text.data(), text.size());
  if (result) result = file->Commit(std::nullopt, std::nullopt);
  if (!result) throw std::runtime_error("cannot write version.ini: " + result.text());
}

void TUpdateRun::RunUpdateScript() {
  if (platform::FileExists(FScriptFile)) RunScriptFile(FScriptFile, FSetup.ProgramFolder);
}

void TUpdateRun::RunNewUpdater(const std::string& updaterFile) {
  // A package made elsewhere arrives without the execute bit.
  platform::MakeOwnerExecutable(updaterFile);
  platform::ShellOpen(updaterFile, "UPDATER_UP \"" + FMainExeName + "\"");
}
